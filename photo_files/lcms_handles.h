// lcms2's handles owned, the pixel layout of Bitmap32's words, and the bytes of a profile
// the program builds.
#pragma once

#include <lcms2.h>

#include <bit>
#include <memory>

#include "photo_files/photo_metadata.h"

struct LcmsProfileClose {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using OwnedProfile = std::unique_ptr<void, LcmsProfileClose>;

struct LcmsTransformDelete {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using OwnedTransform = std::unique_ptr<void, LcmsTransformDelete>;

struct LcmsToneCurveFree {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using OwnedToneCurve = std::unique_ptr<cmsToneCurve, LcmsToneCurveFree>;

// The layout whose bytes, read as one native word, are 0xAARRGGBB.
constexpr cmsUInt32Number kLcmsWordFormat =
    std::endian::native == std::endian::little ? TYPE_BGRA_8 : TYPE_ARGB_8;

/// The bytes of `profile` (which this takes over and closes) as a version 2 profile, which every
/// reader of a saved file understands, described as `description`; empty when lcms2 fails.
IccProfile built_profile_bytes(cmsHPROFILE profile, const char* description);
