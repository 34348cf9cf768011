#pragma once

#include <QWidget>

#include "display/image32.h"
#include "windows/plain_controls.h"

/// The about window: the splash artwork with the version label 3 pixels
/// higher. An ordinary top-level window, not modal; a click on the picture
/// (not on the label) hides it, and it keeps its place when shown again.
class AboutWindow : public QWidget {
    Q_OBJECT

public:
    AboutWindow();
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    TImage32* picture = nullptr;
    TLabel* version_label = nullptr;

    void pictureClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
