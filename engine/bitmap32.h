#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

// Raised when a photo buffer cannot get its storage, and for precondition failures of the
// photo buffers and curve application. Never caught inside the engine: it travels to the
// operation that caused it.
class EBitmapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct BitmapRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const BitmapRect&) const = default;
};

// Text font carried by a bitmap for caption drawing. Like the toolkit fonts it
// mirrors, the pixel height is the primary value and the point size follows
// from it and the font's own pixels-per-inch; marking a font with another
// resolution keeps its pixel height and so changes its point size.
struct BitmapFont {
    std::string face_name;  // empty: the toolkit's default face
    int height = -11;       // pixels; negative = character height without internal leading
    int pixels_per_inch = 96;
    bool bold = false;
    std::uint32_t color = 0xFF000000;  // 0xAARRGGBB, window text

    // Point size as the font reports it: pixel height scaled by its resolution, rounded.
    int size() const;
    // Sets the point size for the font's resolution (keeps the sign convention of `height`).
    void set_size(int points);
    bool operator==(const BitmapFont&) const = default;
};

enum class DrawMode { dmOpaque, dmBlend };
enum class CombineMode { cmBlend, cmMerge };

// How the bitmap is drawn or written on. The engine keeps and copies these
// values but never interprets them; the display layer does.
struct DisplayAttributes {
    BitmapFont font;
    DrawMode draw_mode = DrawMode::dmOpaque;
    std::uint8_t master_alpha = 255;
    CombineMode combine_mode = CombineMode::cmBlend;
    std::uint32_t outer_color = 0;
    // The bitmap's pixels per pixel of the window layout: 2 for a skin picture drawn for a
    // screen at twice the scale, so it covers its control at the screen's full resolution.
    // Positions and font sizes given for the bitmap stay in layout pixels.
    double pixel_ratio = 1.0;
    bool operator==(const DisplayAttributes&) const = default;
};

/// A photo buffer of 0xAARRGGBB words, row 0 at the top, rows without gaps.
/// Pixel (x, y) is word y * width + x. Observers hear of changes through
/// OnAreaChanged / OnChange (suppressed while an update is open) and of size
/// changes through OnResize, which always follows the change notification.
class Bitmap32 {
public:
    Bitmap32() = default;
    ~Bitmap32();
    Bitmap32(const Bitmap32&) = delete;
    Bitmap32& operator=(const Bitmap32&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t* pixels() { return pixels_; }
    const std::uint32_t* pixels() const { return pixels_; }
    std::uint32_t* scan_line(int y) { return pixels_ + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* scan_line(int y) const { return pixels_ + static_cast<std::size_t>(y) * width_; }
    std::size_t pixel_count() const { return static_cast<std::size_t>(width_) * height_; }
    std::uint32_t pixel(int x, int y) const { return scan_line(y)[x]; }
    int update_count() const { return update_count_; }

    /// Resizes; new storage is cleared to zero. Returns false when the size is
    /// unchanged (and then notifies nobody). Throws EBitmapError ("not enough memory
    /// for a photo of W x H") when storage cannot be obtained, leaving the bitmap at 0 x 0.
    bool set_size(int width, int height);
    bool is_empty() const;

    void begin_update();
    void end_update();  // throws EBitmapError when no update is open
    void changed();

    /// Becomes a copy of `source` (pixels and display attributes); a null source empties it.
    void assign(const Bitmap32* source);
    /// Trades pixels and size with `other` without copying; display attributes and
    /// observers stay with each bitmap. Both then notify as set_size does.
    void swap_pixels(Bitmap32& other);
    void reset_alpha(std::uint8_t level);

    DisplayAttributes attributes;

    std::function<void()> OnChange;
    std::function<void(const BitmapRect&)> OnAreaChanged;
    std::function<void()> OnResize;

private:
    void release_storage();

    int width_ = 0;
    int height_ = 0;
    std::uint32_t* pixels_ = nullptr;
    int update_count_ = 0;
};
