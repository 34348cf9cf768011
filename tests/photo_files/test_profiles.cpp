#include "tests/photo_files/test_profiles.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

ProfileBytes saved_and_closed(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    if (profile == nullptr || !cmsSaveProfileToMem(profile, nullptr, &size))
        throw std::runtime_error("lcms2 could not build a test profile");
    ProfileBytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

cmsHPROFILE opened(const ProfileBytes& profile)
{
    if (profile.empty()) return cmsCreate_sRGBProfile();
    return cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
}

ProfileBytes rgb_profile(const cmsCIExyY& white, const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve)
{
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return saved_and_closed(profile);
}

cmsToneCurve* srgb_curve()
{
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, parameters);
}

// Inks that also absorb a little of their neighbours' light, on paper of a warm white.
int press_sampler(const cmsUInt16Number in[], cmsUInt16Number out[], void* srgb_to_lab)
{
    const double c = in[0] / 65535.0, m = in[1] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
    const double paper[3] = {0.98, 0.96, 0.9};
    float rgb[3] = {static_cast<float>(paper[0] * (1 - c) * (1 - 0.15 * m) * (1 - 0.9 * k)),
                    static_cast<float>(paper[1] * (1 - m) * (1 - 0.2 * c) * (1 - 0.9 * k)),
                    static_cast<float>(paper[2] * (1 - y) * (1 - 0.1 * m) * (1 - 0.9 * k))};
    cmsCIELab lab;
    cmsDoTransform(srgb_to_lab, rgb, &lab, 1);
    cmsFloat2LabEncodedV2(out, &lab);
    return TRUE;
}

void put16(ProfileBytes& bytes, std::uint16_t value)
{
    bytes.push_back(value & 0xFF);
    bytes.push_back(value >> 8);
}

void put32(ProfileBytes& bytes, std::uint32_t value)
{
    put16(bytes, value & 0xFFFF);
    put16(bytes, value >> 16);
}

void put_entry(ProfileBytes& bytes, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
               std::uint32_t value)
{
    put16(bytes, tag);
    put16(bytes, type);
    put32(bytes, count);
    put32(bytes, value);
}

// Samples of the transform `to_lab` (RGB floats to Lab doubles) for a table, in the
// version 2 encoding of a lut16 table.
int lab_sampler(const cmsUInt16Number in[], cmsUInt16Number out[], void* to_lab)
{
    const float rgb[3] = {in[0] / 65535.0f, in[1] / 65535.0f, in[2] / 65535.0f};
    cmsCIELab lab;
    cmsDoTransform(to_lab, rgb, &lab, 1);
    cmsFloat2LabEncodedV2(out, &lab);
    return TRUE;
}

// A profile of `colour_space` whose AToB0 table samples `to_lab` on a grid.
ProfileBytes table_profile(cmsHTRANSFORM to_lab, cmsColorSpaceSignature colour_space, int inputs,
                           cmsSAMPLER16 sampler)
{
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);  // a plain lut16 table, as most measured profiles have
    cmsSetDeviceClass(profile, cmsSigInputClass);
    cmsSetColorSpace(profile, colour_space);
    cmsSetPCS(profile, cmsSigLabData);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipeline* table = cmsPipelineAlloc(nullptr, inputs, 3);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, inputs == 3 ? 17 : 9, inputs, 3, nullptr);
    cmsStageSampleCLut16bit(grid, sampler, to_lab, 0);
    cmsPipelineInsertStage(table, cmsAT_BEGIN, grid);
    cmsWriteTag(profile, cmsSigAToB0Tag, table);
    cmsPipelineFree(table);
    return saved_and_closed(profile);
}

}  // namespace

ProfileBytes display_p3_test_profile()
{
    return rgb_profile({0.3127, 0.3290, 1}, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}},
                       srgb_curve());
}

ProfileBytes wide_display_test_profile()
{
    return rgb_profile({0.3457, 0.3585, 1}, {{0.7347, 0.2653, 1}, {0.1152, 0.8264, 1}, {0.1566, 0.0177, 1}},
                       cmsBuildGamma(nullptr, 1.8));
}

ProfileBytes romm_rgb_test_profile()
{
    return rgb_profile({0.3457, 0.3585, 1}, {{0.7347, 0.2653, 1}, {0.1596, 0.8404, 1}, {0.0366, 0.0001, 1}},
                       cmsBuildGamma(nullptr, 1.8));
}

ProfileBytes grey_black_display_test_profile()
{
    float levels[256];
    for (int i = 0; i < 256; ++i) levels[i] = 0.02f + 0.98f * std::pow(i / 255.0f, 2.2f);
    return rgb_profile({0.3127, 0.3290, 1}, {{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}},
                       cmsBuildTabulatedToneCurveFloat(nullptr, 256, levels));
}

ProfileBytes srgb_test_profile()
{
    return saved_and_closed(cmsCreate_sRGBProfile());
}

ProfileBytes cmyk_test_profile()
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM srgb_to_lab =
        cmsCreateTransform(srgb, TYPE_RGB_FLT, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    ProfileBytes profile = table_profile(srgb_to_lab, cmsSigCmykData, 4, press_sampler);
    cmsDeleteTransform(srgb_to_lab);
    return profile;
}

ProfileBytes table_p3_test_profile()
{
    const ProfileBytes curves = display_p3_test_profile();
    cmsHPROFILE p3 = opened(curves);
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM p3_to_lab =
        cmsCreateTransform(p3, TYPE_RGB_FLT, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsCloseProfile(p3);
    cmsCloseProfile(lab);
    ProfileBytes table = table_profile(p3_to_lab, cmsSigRgbData, 3, lab_sampler);
    cmsDeleteTransform(p3_to_lab);
    cmsHPROFILE profile = opened(table);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    for (cmsTagSignature tag : {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag,
                                cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag})
        cmsWriteTag(profile, tag, cmsReadTag(srgb, tag));
    cmsCloseProfile(srgb);
    return saved_and_closed(profile);
}

ProfileBytes profile_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return ProfileBytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::uint32_t> lcms_converted(const std::vector<std::uint32_t>& words, const ProfileBytes& from,
                                          const ProfileBytes& to)
{
    cmsHPROFILE source = opened(from);
    cmsHPROFILE target = opened(to);
    cmsHTRANSFORM transform =
        cmsCreateTransform(source, TYPE_RGB_FLT, target, TYPE_RGB_FLT, INTENT_RELATIVE_COLORIMETRIC,
                           cmsFLAGS_BLACKPOINTCOMPENSATION);
    cmsCloseProfile(source);
    cmsCloseProfile(target);
    if (transform == nullptr) throw std::runtime_error("lcms2 refused a test conversion");
    std::vector<std::uint32_t> converted;
    for (std::uint32_t word : words) {
        const float in[3] = {(word >> 16 & 0xFF) / 255.0f, (word >> 8 & 0xFF) / 255.0f,
                             (word & 0xFF) / 255.0f};
        float out[3];
        cmsDoTransform(transform, in, out, 1);
        std::uint32_t result = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            result |= static_cast<std::uint32_t>(std::lround(std::clamp(out[c], 0.0f, 1.0f) * 255))
                      << (16 - 8 * c);
        converted.push_back(result);
    }
    cmsDeleteTransform(transform);
    return converted;
}

std::uint32_t lcms_converted_cmyk(const std::uint8_t stored[4], bool inverted, const ProfileBytes& profile)
{
    cmsHPROFILE source = opened(profile);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform =
        cmsCreateTransform(source, TYPE_CMYK_FLT, srgb, TYPE_RGB_FLT, INTENT_RELATIVE_COLORIMETRIC,
                           cmsFLAGS_BLACKPOINTCOMPENSATION);
    cmsCloseProfile(source);
    cmsCloseProfile(srgb);
    if (transform == nullptr) throw std::runtime_error("lcms2 refused a test CMYK conversion");
    // lcms2's floating-point inks are percentages.
    float inks[4];
    for (int c = 0; c < 4; ++c) inks[c] = (inverted ? 255 - stored[c] : stored[c]) * 100.0f / 255;
    float out[3];
    cmsDoTransform(transform, inks, out, 1);
    cmsDeleteTransform(transform);
    std::uint32_t result = 0xFF000000u;
    for (int c = 0; c < 3; ++c)
        result |= static_cast<std::uint32_t>(std::lround(std::clamp(out[c], 0.0f, 1.0f) * 255))
                  << (16 - 8 * c);
    return result;
}

int channel_distance(std::uint32_t a, std::uint32_t b)
{
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most,
                        std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
    return most;
}

// An EXIF block as cameras in Adobe RGB mode write it: the EXIF IFD's colour space and
// the interoperability IFD's index (a 4-byte ASCII string held in the entry itself).
ProfileBytes exif_colour_space(std::uint16_t colour_space, const char index[4])
{
    ProfileBytes exif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
    put16(exif, 1);  // IFD0 at 8: the EXIF IFD's pointer
    put_entry(exif, 0x8769, 4, 1, 26);
    put32(exif, 0);
    put16(exif, 2);  // EXIF IFD at 26
    put_entry(exif, 0xA001, 3, 1, colour_space);
    put_entry(exif, 0xA005, 4, 1, 56);
    put32(exif, 0);
    put16(exif, 1);  // interoperability IFD at 56
    std::uint32_t inline_index = 0;
    std::memcpy(&inline_index, index, 4);
    put_entry(exif, 0x0001, 2, 4, inline_index);
    put32(exif, 0);
    return exif;
}
