#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

/// Converts CMYK pixels to sRGB through the CMYK profile a photo embeds (lcms2, relative
/// colorimetric with black-point compensation), in place in photo words.
class CmykToSrgb {
public:
    /// The conversion through the ICC profile of `size` bytes at `profile`, for inks stored
    /// inverted (0 = full ink, as streams with an Adobe marker store them) or not; null
    /// when lcms2 refuses the profile or it does not describe CMYK.
    static std::unique_ptr<CmykToSrgb> through(const std::uint8_t* profile, std::size_t size, bool inverted);

    ~CmykToSrgb();
    CmykToSrgb(const CmykToSrgb&) = delete;
    CmykToSrgb& operator=(const CmykToSrgb&) = delete;

    /// `row` holds `width` CMYK pixels of four bytes each, as the decoder gives them;
    /// afterwards it holds opaque photo words.
    void convert_row(std::uint32_t* row, int width) const;

private:
    explicit CmykToSrgb(void* transform) : transform_(transform) {}
    void* transform_;
};
