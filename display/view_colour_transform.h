#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "photo_files/photo_metadata.h"

class MatrixShaperConversion;
class RowPool;

/// The conversion of what a view shows from its photo's colour profile to its screen's
/// (lcms2, relative colorimetric with black-point compensation). Profiles are ICC bytes;
/// empty stands for sRGB.
class ViewColourTransform {
public:
    /// The conversion from `photo` to `display`, built once and shared while any view
    /// holds it or it is among the last few asked for; null when there is nothing to
    /// convert (both sRGB) or lcms2 cannot build it (the view then shows the values).
    static std::shared_ptr<const ViewColourTransform> between(const IccProfile& photo,
                                                              const IccProfile& display);

    ~ViewColourTransform();
    ViewColourTransform(const ViewColourTransform&) = delete;
    ViewColourTransform& operator=(const ViewColourTransform&) = delete;

    /// Converts `width` x `height` opaque photo words at `pixels` (`stride` words per row)
    /// in place, its rows shared out by `pool`.
    void convert(std::uint32_t* pixels, std::ptrdiff_t stride, int width, int height, RowPool& pool) const;

private:
    ViewColourTransform(void* transform, std::unique_ptr<MatrixShaperConversion> tables);
    void* transform_;  // lcms2's, for the profiles the tables cannot do
    std::unique_ptr<MatrixShaperConversion> tables_;
};
