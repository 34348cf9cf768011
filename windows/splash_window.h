#pragma once

#include <QWidget>

#include "display/image32.h"
#include "windows/plain_controls.h"

/// The splash window shown during start-up: the program's artwork and its
/// version, no frame, no events. It shows artwork columns and rows 1 to 332 x
/// 312, because the picture control starts one pixel outside the client area.
class SplashWindow : public QWidget {
    Q_OBJECT

public:
    SplashWindow();
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    TImage32* picture = nullptr;
    TLabel* version_label = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
