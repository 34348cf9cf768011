#include "photo_files/exif_thumbnail.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/curve_triple.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/photo_write_error.h"

namespace {

constexpr int kSamples = 2;  // per axis: 4 reads per thumbnail pixel, whatever the photo's size

// The sample positions across `cells` cells of a `size`-pixel axis, kSamples per
// cell, each in the middle of its share of the cell.
std::vector<int> sample_positions(int size, int cells)
{
    std::vector<int> positions(static_cast<std::size_t>(cells) * kSamples);
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = static_cast<int>((static_cast<std::int64_t>(2 * i + 1) * size) /
                                        (2 * static_cast<std::int64_t>(positions.size())));
    return positions;
}

}  // namespace

ExifThumbnail exif_thumbnail_of(const Bitmap32& photo, const CurveTriple* curves)
{
    if (photo.is_empty()) return {};
    const int longer = std::max(photo.width(), photo.height());
    const int side = std::min(longer, kExifThumbnailSide);
    const int width = std::max(
        1, static_cast<int>((static_cast<std::int64_t>(photo.width()) * side + longer / 2) / longer));
    const int height = std::max(
        1, static_cast<int>((static_cast<std::int64_t>(photo.height()) * side + longer / 2) / longer));
    const std::vector<int> xs = sample_positions(photo.width(), width);
    const std::vector<int> ys = sample_positions(photo.height(), height);

    // Each sample is curved before the mean, as in the photo the curves make.
    std::optional<CurveLookup> lookup;
    if (curves != nullptr) lookup.emplace(*curves, 0);
    Bitmap32 small;
    small.set_size(width, height);
    for (int ty = 0; ty < height; ++ty) {
        std::uint32_t* out = small.scan_line(ty);
        for (int tx = 0; tx < width; ++tx) {
            std::uint32_t red = 0, green = 0, blue = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                const std::uint32_t* row = photo.scan_line(ys[ty * kSamples + sy]);
                for (int sx = 0; sx < kSamples; ++sx) {
                    std::uint32_t p = row[xs[tx * kSamples + sx]];
                    if (lookup) lookup->apply(&p, &p, 1);
                    red += p >> 16 & 0xFF;
                    green += p >> 8 & 0xFF;
                    blue += p & 0xFF;
                }
            }
            constexpr std::uint32_t n = kSamples * kSamples, half = n / 2;
            out[tx] = 0xFF000000u | (red + half) / n << 16 | (green + half) / n << 8 | (blue + half) / n;
        }
    }
    ExifThumbnail thumbnail;
    try {
        thumbnail.jpeg = encode_jpeg_photo(small);
    } catch (const EPhotoWriteError&) {
        return {};
    }
    thumbnail.width = width;
    thumbnail.height = height;
    return thumbnail;
}
