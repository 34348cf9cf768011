#pragma once

#include <QWidget>

#include "display/image32.h"
#include "windows/plain_controls.h"

/// The splash window shown during start-up: the program's artwork and its
/// version, no frame, no events. It shows artwork columns and rows 1 to 332 x
/// 312, because the picture control starts one pixel outside the client area.
class TForm2 : public QWidget {
    Q_OBJECT

public:
    TForm2();
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    TImage32* Image321 = nullptr;
    TLabel* Label1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
