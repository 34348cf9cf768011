#include "display/view_colour_transform.h"

#include <lcms2.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "display/matrix_shaper_conversion.h"
#include "engine/row_pool.h"
#include "photo_files/lcms_handles.h"

namespace {

OwnedProfile opened(const IccProfile& profile)
{
    if (profile.empty()) return OwnedProfile(cmsCreate_sRGBProfile());
    return OwnedProfile(cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
}

struct CachedTransform {
    IccProfile photo;
    IccProfile display;
    std::shared_ptr<const ViewColourTransform> transform;
};

// Both views of a photo on one screen share one conversion; a photo opened again, or a
// window moved back, finds its conversion still here.
constexpr std::size_t kCachedTransforms = 4;

}  // namespace

std::shared_ptr<const ViewColourTransform> ViewColourTransform::between(const IccProfile& photo,
                                                                        const IccProfile& display)
{
    if (photo.empty() && display.empty()) return nullptr;
    static std::mutex mutex;
    static std::vector<CachedTransform> cache;
    const std::lock_guard lock(mutex);
    const auto found = std::find_if(cache.begin(), cache.end(), [&](const CachedTransform& entry) {
        return entry.photo == photo && entry.display == display;
    });
    if (found != cache.end()) {
        // The most recently asked for goes last, so the oldest is the one dropped.
        std::rotate(found, found + 1, cache.end());
        return cache.back().transform;
    }
    const OwnedProfile source = opened(photo);
    const OwnedProfile target = opened(display);
    std::shared_ptr<const ViewColourTransform> made;
    if (source && target) {
        std::unique_ptr<MatrixShaperConversion> tables =
            MatrixShaperConversion::between(source.get(), target.get());
        cmsHTRANSFORM transform = nullptr;
        if (!tables)
            transform = cmsCreateTransform(source.get(), kLcmsWordFormat, target.get(), kLcmsWordFormat,
                                           INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION);
        if (tables || transform != nullptr) made.reset(new ViewColourTransform(transform, std::move(tables)));
    }
    if (cache.size() == kCachedTransforms) cache.erase(cache.begin());
    cache.push_back({photo, display, made});
    return made;
}

ViewColourTransform::ViewColourTransform(void* transform, std::unique_ptr<MatrixShaperConversion> tables)
    : transform_(transform), tables_(std::move(tables))
{
}

ViewColourTransform::~ViewColourTransform()
{
    if (transform_ != nullptr) cmsDeleteTransform(transform_);
}

void ViewColourTransform::convert(std::uint32_t* pixels, std::ptrdiff_t stride, int width, int height,
                                  RowPool& pool) const
{
    if (width <= 0 || height <= 0) return;
    // lcms2 reads each pixel before writing it, and leaves the alpha byte alone: the words
    // convert in place and stay opaque. A transform may run on several threads at once.
    const ColourConversionPath path = colour_conversion_path();
    auto band = [&](int first_row, int end_row, int) {
        for (int y = first_row; y < end_row; ++y) {
            std::uint32_t* row = pixels + y * stride;
            if (tables_)
                tables_->convert_row(row, width, path);
            else
                cmsDoTransform(transform_, row, row, static_cast<cmsUInt32Number>(width));
        }
    };
    constexpr int kMinimumRowsPerBand = 16;
    pool.run(height, kMinimumRowsPerBand, band);
}
