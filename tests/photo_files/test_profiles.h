#pragma once

// Colour profiles for tests, built with lcms2, and lcms2's own conversions to compare
// the program's against. Profiles are ICC bytes; empty stands for sRGB.

#include <cstdint>
#include <string>
#include <vector>

using ProfileBytes = std::vector<std::uint8_t>;

/// Display P3: the P3 primaries with D65 white and sRGB's tone curve.
ProfileBytes display_p3_test_profile();
/// A wide-gamut display with a gamma of 1.8 and a D50 white, unlike both sRGB and P3.
ProfileBytes wide_display_test_profile();
/// ROMM RGB's primaries (green and blue beyond what eyes see), a D50 white and a gamma of 1.8:
/// converting it to sRGB takes matrix coefficients above 2.
ProfileBytes romm_rgb_test_profile();
/// Display P3 again, as a table from RGB to Lab, as profiles made by measuring are; it
/// carries sRGB's curves and matrix too, which lcms2 passes over for the table.
ProfileBytes table_p3_test_profile();
/// A display whose black is a dim grey (its curve starts above zero), as measured
/// displays are: black-point compensation has work to do.
ProfileBytes grey_black_display_test_profile();
/// sRGB as lcms2 builds it.
ProfileBytes srgb_test_profile();
/// A CMYK press profile (CMYK to Lab through a table) whose inks are not pure, so that
/// it converts otherwise than the plain CMYK formula.
ProfileBytes cmyk_test_profile();
/// The bytes of the file at `path` (an installed profile); empty when it cannot be read.
ProfileBytes profile_file(const std::string& path);

/// `words` (0xAARRGGBB) converted from `from` to `to` by lcms2 in floating point, relative
/// colorimetric with black-point compensation, rounded to levels; alpha made 0xFF.
std::vector<std::uint32_t> lcms_converted(const std::vector<std::uint32_t>& words, const ProfileBytes& from,
                                          const ProfileBytes& to);
/// One CMYK pixel as the file stores it converted to sRGB through `profile` the same way;
/// `inverted`: stored 255 means no ink.
std::uint32_t lcms_converted_cmyk(const std::uint8_t stored[4], bool inverted, const ProfileBytes& profile);

/// An EXIF APP1 payload as cameras write it in Adobe RGB mode or not: the EXIF IFD's
/// colour space (1 sRGB, 0xFFFF uncalibrated) and the interoperability index ("R03"
/// for Adobe RGB, "R98" for sRGB).
ProfileBytes exif_colour_space(std::uint16_t colour_space, const char index[4]);

/// The largest difference of one channel between two words.
int channel_distance(std::uint32_t a, std::uint32_t b);
