#pragma once

#include <QWidget>

#include "display/image32.h"
#include "windows/plain_controls.h"

/// The about window: the splash artwork with the version label 3 pixels
/// higher. An ordinary top-level window, not modal; a click on the picture
/// (not on the label) hides it, and it keeps its place when shown again.
class TForm3 : public QWidget {
    Q_OBJECT

public:
    TForm3();
    TForm3(const TForm3&) = delete;
    TForm3& operator=(const TForm3&) = delete;

    TImage32* Image321 = nullptr;
    TLabel* Label1 = nullptr;

    void Image321Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool centred_ = false;
};
