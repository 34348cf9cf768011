#include "photo_files/cmyk_to_srgb.h"

#include "photo_files/lcms_handles.h"

std::unique_ptr<CmykToSrgb> CmykToSrgb::through(const std::uint8_t* profile, std::size_t size, bool inverted)
{
    if (profile == nullptr || size == 0) return nullptr;
    const OwnedProfile cmyk(cmsOpenProfileFromMem(profile, static_cast<cmsUInt32Number>(size)));
    if (!cmyk || cmsGetColorSpace(cmyk.get()) != cmsSigCmykData) return nullptr;
    const OwnedProfile srgb(cmsCreate_sRGBProfile());
    if (!srgb) return nullptr;
    cmsHTRANSFORM transform =
        cmsCreateTransform(cmyk.get(), inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, srgb.get(), kLcmsWordFormat,
                           INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION);
    if (transform == nullptr) return nullptr;
    return std::unique_ptr<CmykToSrgb>(new CmykToSrgb(transform));
}

CmykToSrgb::~CmykToSrgb()
{
    cmsDeleteTransform(transform_);
}

void CmykToSrgb::convert_row(std::uint32_t* row, int width) const
{
    // lcms2 reads each pixel before it writes it, so the row converts in place; the alpha
    // byte is not an output of the transform and still holds the black ink.
    cmsDoTransform(transform_, row, row, static_cast<cmsUInt32Number>(width));
    for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
}
