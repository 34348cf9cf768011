#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Bitmap32;

/// The 24-bit analysis image: rows of width x 3 bytes (blue, green, red), row 0
/// at the top, no padding, no alpha. It records its depth so that consumers can
/// refuse other layouts; `bits_per_pixel` is 24 for every bitmap made here.
class Bitmap24 {
public:
    Bitmap24() = default;
    Bitmap24(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int bits_per_pixel = 24;

    std::uint8_t* scan_line(int y) { return bytes_.data() + static_cast<std::size_t>(y) * width_ * 3; }
    const std::uint8_t* scan_line(int y) const { return bytes_.data() + static_cast<std::size_t>(y) * width_ * 3; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bytes_;
};

/// Same width and height, each pixel's red, green and blue unchanged, alpha dropped.
Bitmap24 copy_to_bitmap24(const Bitmap32& source);
