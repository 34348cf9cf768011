#pragma once

#include "photo_files/photo_metadata.h"

class QScreen;

/// The colour profile of `screen` (null: the primary screen), as ICC bytes; empty for
/// sRGB. The file TINTELO_DISPLAY_PROFILE names when that is set; else, on X11, the
/// profile the desktop publishes in the root window's _ICC_PROFILE property (_ICC_PROFILE_n
/// for the n-th screen after the first); else sRGB, which a Wayland compositor converts
/// from itself. A profile that is unreadable, not RGB, or sRGB's own counts as sRGB.
IccProfile display_profile(QScreen* screen);
