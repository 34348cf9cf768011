#pragma once

#include <QFont>

// The skin was laid out for two faces this platform does not have: "Terminal",
// a fixed-pitch bitmap font whose size is given as a character height in
// pixels, and "Verdana", the face of the captions drawn onto skin images.

/// Makes the stand-in faces available: the X11 "Fixed" bitmap fonts of the
/// xfonts-base package for "Terminal", and DejaVu Sans for "Verdana". Call
/// once after the application object exists, before any window is built.
/// Returns false when the bitmap fonts are missing (labels then use the
/// nearest fixed-pitch outline face, drawn without smoothing).
bool install_skin_fonts();

/// The label font that stands in for "Terminal" of `pixel_height` pixels.
QFont terminal_font(int pixel_height);

/// The font that draws the same labels on a screen finer than the layout (a
/// device pixel ratio above 1), where a bitmap font could only be blown up: a
/// fixed-pitch outline face, sized in layout pixels so that its capitals are
/// as high as terminal_font(pixel_height)'s and stretched so that its
/// characters are as wide, drawn at the screen's own resolution.
QFont fine_terminal_font(int pixel_height);

/// The caption face's stand-in family (what "Verdana" resolves to).
QString caption_face_stand_in();
