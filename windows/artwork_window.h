#pragma once

#include <QWidget>

#include "display/image32.h"
#include "windows/plain_controls.h"

/// The program's name as people read it: window titles and the artwork's name.
inline constexpr char kProgramDisplayName[] = "Tintelo photo mallet";

// What the splash and about windows share: a frameless 332 x 312 window with
// the artwork shown from (-1, -1) in a picture control of the given size, and
// the "Version 1.1" label on the picture at (247, label_top). A screen reader finds the two in
// the window, the picture as a graphic that a press (its OnClick) acts on.
struct ArtworkControls {
    TImage32* picture;
    TLabel* version;
};
ArtworkControls build_artwork_window(QWidget& window, int picture_width, int picture_height, int label_top);
