#pragma once

#include <QWidget>

#include "display/image32.h"
#include "windows/plain_controls.h"

/// The about window's title, which the desktop shows for it.
inline constexpr char kAboutWindowTitle[] = "About Tintelo photo mallet";

/// The about window: the splash artwork with the version label 3 pixels
/// higher. A child of the main window (above it, centred on it the first time,
/// no task-bar entry of its own) but not modal; Escape, Enter, Space or a click
/// on the picture (not on the label) hides it, and it keeps its place when
/// shown again.
class AboutWindow : public QWidget {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* main_window = nullptr);
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    TImage32* picture = nullptr;
    TLabel* version_label = nullptr;

    void pictureClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool centred_ = false;
};
