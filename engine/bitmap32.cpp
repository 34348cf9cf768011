#include "engine/bitmap32.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "engine/pixel_storage.h"

int BitmapFont::size() const
{
    // Toolkit fonts report a whole number of points, rounded from the pixel height.
    return static_cast<int>(std::lround(-static_cast<double>(height) * 72.0 / pixels_per_inch));
}

void BitmapFont::set_size(int points)
{
    height = -static_cast<int>(std::lround(static_cast<double>(points) * pixels_per_inch / 72.0));
}

Bitmap32::~Bitmap32() { release_storage(); }

void Bitmap32::release_storage()
{
    release_pixel_storage(pixels_, pixel_count() * sizeof(std::uint32_t));
    pixels_ = nullptr;
}

bool Bitmap32::set_size(int width, int height)
{
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (width == width_ && height == height_) return false;

    release_storage();
    bool allocated = true;
    if (width > 0 && height > 0) {
        const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        // Fresh pages come zeroed from the system, so clearing costs no pass.
        if (count <= std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t))
            pixels_ = static_cast<std::uint32_t*>(allocate_pixel_storage(count * sizeof(std::uint32_t)));
        allocated = pixels_ != nullptr;
    }
    if (!allocated) {
        // Observers must never keep drawing the released storage: tell them the bitmap is now empty.
        const bool size_changed = width_ != 0 || height_ != 0;
        width_ = 0;
        height_ = 0;
        if (size_changed) {
            changed();
            if (OnResize) OnResize();
        }
        throw EBitmapError("not enough memory for a photo of " + std::to_string(width) + " x " +
                           std::to_string(height));
    }
    width_ = width;
    height_ = height;
    changed();
    if (OnResize) OnResize();
    return true;
}

bool Bitmap32::is_empty() const { return width_ == 0 || height_ == 0 || pixels_ == nullptr; }

void Bitmap32::begin_update() { ++update_count_; }

void Bitmap32::end_update()
{
    if (update_count_ == 0) throw EBitmapError("Unpaired TThreadPersistent.EndUpdate");
    --update_count_;
}

void Bitmap32::changed()
{
    if (update_count_ != 0) return;
    if (OnAreaChanged) OnAreaChanged(BitmapRect{0, 0, width_, height_});
    if (OnChange) OnChange();
}

void Bitmap32::assign(const Bitmap32* source)
{
    begin_update();
    try {
        if (source == nullptr) {
            set_size(0, 0);
        } else if (source != this) {
            set_size(source->width_, source->height_);
            if (!is_empty()) {
                std::memcpy(pixels_, source->pixels_, pixel_count() * sizeof(std::uint32_t));
                attributes = source->attributes;
            }
        }
    } catch (...) {
        end_update();
        changed();
        throw;
    }
    end_update();
    changed();
}

void Bitmap32::swap_pixels(Bitmap32& other)
{
    if (&other == this) return;
    const bool resized = width_ != other.width_ || height_ != other.height_;
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(pixels_, other.pixels_);
    for (Bitmap32* bitmap : {this, &other}) {
        bitmap->changed();
        if (resized && bitmap->OnResize) bitmap->OnResize();
    }
}

void Bitmap32::reset_alpha(std::uint8_t level)
{
    const std::uint32_t alpha = static_cast<std::uint32_t>(level) << 24;
    const std::size_t n = pixel_count();
    std::uint32_t* p = pixels_;
    for (std::size_t k = 0; k < n; ++k) p[k] = (p[k] & 0x00FFFFFFu) | alpha;
    changed();
}
