#pragma once

// Colour descriptions given as code points (ITU-T H.273) rather than as an ICC
// profile, as HEIF and AVIF files often carry them.

#include "photo_files/photo_metadata.h"

/// An nclx description's colour primaries and transfer characteristics codes.
struct NclxColours {
    int primaries = 1;  // 1 is sRGB's (BT.709's) primaries
    int transfer = 13;  // 13 is sRGB's curve
};

/// An RGB ICC profile built with lcms2 that describes the same colours as `colours`;
/// empty (sRGB) when they are sRGB's own primaries with its curve, or when lcms2
/// cannot build one. Unspecified or unknown primaries count as sRGB's, and so do
/// curves with no plain ICC equivalent (PQ, HLG).
IccProfile profile_for_nclx(const NclxColours& colours);
