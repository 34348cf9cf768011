#pragma once

// Which colour profile a photo's values are in, read the way colour-managed editors
// read it, and the few profiles the program makes itself. An empty IccProfile stands
// for sRGB throughout: the values are shown as they are.

#include <cstddef>
#include <cstdint>

#include "photo_files/photo_metadata.h"

/// The profile the photo's RGB values are in: the embedded ICC profile; without one,
/// Adobe RGB (1998) when the EXIF block marks the photo so (colour space "uncalibrated"
/// with interoperability index "R03"); else sRGB. An embedded profile that lcms2
/// refuses, that is not an RGB profile, or that describes sRGB counts as sRGB: never
/// throws for a bad or hostile profile.
IccProfile shown_colour_profile(const PhotoMetadata& metadata);

/// `profile` when lcms2 takes it as an RGB profile whose values it can convert and
/// that is not sRGB's own; empty (sRGB) otherwise. Also for a display's profile.
IccProfile rgb_profile_or_srgb(const IccProfile& profile);

/// Whether the EXIF block `exif` (an APP1 payload starting "Exif\0\0") marks the photo
/// as Adobe RGB: colour space 0xFFFF (uncalibrated) and interoperability index "R03".
bool exif_says_adobe_rgb(const std::uint8_t* exif, std::size_t size);

/// Whether `profile`'s header says it describes CMYK values.
bool is_cmyk_profile(const IccProfile& profile);

/// Adobe RGB (1998): its primaries, D65 white and a gamma of 563/256.
const IccProfile& adobe_rgb_profile();

/// sRGB, as lcms2 builds it: what a photo converted from CMYK is saved with.
const IccProfile& srgb_profile();
