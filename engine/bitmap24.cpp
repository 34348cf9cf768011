#include "engine/bitmap24.h"

#include <cstring>

#include "engine/bitmap32.h"
#include "engine/pixel_packing.h"

Bitmap24::Bitmap24(int width, int height)
{
    set_size_for_overwrite(width, height);
    if (byte_count_ != 0) std::memset(bytes_.get(), 0, byte_count_);
}

Bitmap24::Bitmap24(const Bitmap24& other)
{
    *this = other;
}

Bitmap24& Bitmap24::operator=(const Bitmap24& other)
{
    if (this != &other) {
        set_size_for_overwrite(other.width_, other.height_);
        if (byte_count_ != 0) std::memcpy(bytes_.get(), other.bytes_.get(), byte_count_);
        bits_per_pixel = other.bits_per_pixel;
    }
    return *this;
}

void Bitmap24::set_size_for_overwrite(int width, int height)
{
    width = width > 0 ? width : 0;
    height = height > 0 ? height : 0;
    const std::size_t byte_count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    if (byte_count != byte_count_) {
        bytes_.reset();
        byte_count_ = 0;
        if (byte_count != 0) bytes_ = std::make_unique_for_overwrite<std::uint8_t[]>(byte_count);
        byte_count_ = byte_count;
    }
    width_ = width;
    height_ = height;
    bits_per_pixel = 24;
}

Bitmap24 copy_to_bitmap24(const Bitmap32& source)
{
    Bitmap24 result;
    copy_to_bitmap24(source, result);
    return result;
}

void copy_to_bitmap24(const Bitmap32& source, Bitmap24& destination)
{
    destination.set_size_for_overwrite(source.width(), source.height());
    if (source.is_empty()) return;
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const std::uint32_t* in = source.scan_line(y);
        std::uint8_t* out = destination.scan_line(y);
        int x = 0;
        for (; x + 4 <= width; x += 4, out += 12) pack_four_pixels(in + x, out);
        for (; x < width; ++x, out += 3) pack_pixel(in[x], out);
    }
}
