#include "photo_files/colour_profile.h"

#include <lcms2.h>
#include <libexif/exif-data.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "photo_files/lcms_handles.h"

namespace {

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// A grid over the RGB cube, corners and mid-tones alike, for telling sRGB apart.
constexpr int kGridSteps = 9;

// Whether every value of the grid comes out of `transform` (to sRGB, in floats) where it went
// in, within half a level: converting would then change no value that shows.
bool keeps_every_value(cmsHTRANSFORM transform)
{
    constexpr int kValues = kGridSteps * kGridSteps * kGridSteps;
    float in[kValues * 3];
    float out[kValues * 3];
    int i = 0;
    for (int r = 0; r < kGridSteps; ++r)
        for (int g = 0; g < kGridSteps; ++g)
            for (int b = 0; b < kGridSteps; ++b, i += 3) {
                in[i] = static_cast<float>(r) / (kGridSteps - 1);
                in[i + 1] = static_cast<float>(g) / (kGridSteps - 1);
                in[i + 2] = static_cast<float>(b) / (kGridSteps - 1);
            }
    cmsDoTransform(transform, in, out, kValues);
    constexpr float kHalfLevel = 0.5f / 255;
    for (int k = 0; k < kValues * 3; ++k)
        if (!(std::fabs(out[k] - in[k]) <= kHalfLevel)) return false;
    return true;
}

}  // namespace

IccProfile rgb_profile_or_srgb(const IccProfile& profile)
{
    if (profile.empty()) return {};
    const OwnedProfile opened(
        cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
    if (!opened) return {};
    cmsHPROFILE source = opened.get();
    const cmsProfileClassSignature device_class = cmsGetDeviceClass(source);
    if (cmsGetColorSpace(source) != cmsSigRgbData || device_class == cmsSigLinkClass ||
        device_class == cmsSigAbstractClass || device_class == cmsSigNamedColorClass)
        return {};
    const OwnedProfile srgb(cmsCreate_sRGBProfile());
    if (!srgb) return {};
    // The same intent and black-point compensation the views convert with: a profile lcms2
    // cannot take this way is one the views cannot show.
    const OwnedTransform transform(cmsCreateTransform(source, TYPE_RGB_FLT, srgb.get(), TYPE_RGB_FLT,
                                                      INTENT_RELATIVE_COLORIMETRIC,
                                                      cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE));
    if (!transform || keeps_every_value(transform.get())) return {};
    return profile;
}

bool exif_says_adobe_rgb(const std::uint8_t* exif, std::size_t size)
{
    static constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (exif == nullptr || size < sizeof kExifHeader ||
        std::memcmp(exif, kExifHeader, sizeof kExifHeader) != 0)
        return false;
    std::unique_ptr<ExifData, ExifDataRelease> data(exif_data_new());
    if (!data) return false;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), exif, static_cast<unsigned int>(size));
    const ExifByteOrder order = exif_data_get_byte_order(data.get());

    const ExifEntry* space = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_COLOR_SPACE);
    if (space == nullptr || space->format != EXIF_FORMAT_SHORT || space->data == nullptr || space->size < 2 ||
        exif_get_short(space->data, order) != 0xFFFF)
        return false;
    const ExifEntry* index =
        exif_content_get_entry(data->ifd[EXIF_IFD_INTEROPERABILITY], EXIF_TAG_INTEROPERABILITY_INDEX);
    if (index == nullptr || index->data == nullptr || index->size < 3) return false;
    return std::memcmp(index->data, "R03", 3) == 0;
}

IccProfile shown_colour_profile(const PhotoMetadata& metadata)
{
    if (!metadata.icc_profile.empty()) return rgb_profile_or_srgb(metadata.icc_profile);
    if (exif_says_adobe_rgb(metadata.exif.data(), metadata.exif.size())) return adobe_rgb_profile();
    return {};
}

bool is_cmyk_profile(const IccProfile& profile)
{
    // The data colour space signature, bytes 16 to 19 of the header.
    return profile.size() >= 20 && std::memcmp(profile.data() + 16, "CMYK", 4) == 0;
}

const IccProfile& adobe_rgb_profile()
{
    static const IccProfile bytes = [] {
        const cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
        const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
        const OwnedToneCurve gamma(cmsBuildGamma(nullptr, 563.0 / 256.0));
        cmsToneCurve* curves[3] = {gamma.get(), gamma.get(), gamma.get()};
        cmsHPROFILE profile = gamma ? cmsCreateRGBProfile(&d65, &primaries, curves) : nullptr;
        return built_profile_bytes(profile, "Compatible with Adobe RGB (1998)");
    }();
    return bytes;
}

const IccProfile& srgb_profile()
{
    static const IccProfile bytes = built_profile_bytes(cmsCreate_sRGBProfile(), "sRGB");
    return bytes;
}
