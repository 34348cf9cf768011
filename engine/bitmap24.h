#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class Bitmap32;

/// The 24-bit analysis image: rows of width x 3 bytes (blue, green, red), row 0
/// at the top, no padding, no alpha. It records its depth so that consumers can
/// refuse other layouts; `bits_per_pixel` is 24 for every bitmap made here.
class Bitmap24 {
public:
    Bitmap24() = default;
    /// A bitmap of that size with every byte 0.
    Bitmap24(int width, int height);
    Bitmap24(const Bitmap24& other);
    Bitmap24& operator=(const Bitmap24& other);
    Bitmap24(Bitmap24&&) noexcept = default;
    Bitmap24& operator=(Bitmap24&&) noexcept = default;

    int width() const { return width_; }
    int height() const { return height_; }
    int bits_per_pixel = 24;

    std::uint8_t* scan_line(int y) { return bytes_.get() + static_cast<std::size_t>(y) * width_ * 3; }
    const std::uint8_t* scan_line(int y) const { return bytes_.get() + static_cast<std::size_t>(y) * width_ * 3; }

    /// Takes the size with storage whose content is undefined until written,
    /// keeping the present storage when it is already the right size.
    void set_size_for_overwrite(int width, int height);

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t byte_count_ = 0;
    std::unique_ptr<std::uint8_t[]> bytes_;
};

/// Same width and height, each pixel's red, green and blue unchanged, alpha dropped.
Bitmap24 copy_to_bitmap24(const Bitmap32& source);
/// The same into an existing bitmap, reusing its storage when the size allows.
void copy_to_bitmap24(const Bitmap32& source, Bitmap24& destination);
