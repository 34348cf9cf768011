#include "photo_files/saved_photo_metadata.h"

#include <algorithm>
#include <cstring>

#include "engine/bitmap32.h"
#include "photo_files/exif_rewrite.h"
#include "photo_files/exif_thumbnail.h"
#include "photo_files/xmp_rewrite.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr char kPhotoshopSignature[] = "Photoshop 3.0";  // with its terminating zero: 14 bytes
constexpr std::uint16_t kPhotoshopThumbnailIds[] = {0x0409, 0x040C};

std::uint32_t big_endian(const std::uint8_t* p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
    return value;
}

// An APP13 block without the Photoshop thumbnail resources, which show the picture
// as it was before correction; the IPTC record and every other resource stay. A
// block whose resources do not parse whole (one spread over several segments) is
// kept as it is.
Bytes without_photoshop_thumbnails(const Bytes& block)
{
    const std::size_t start = sizeof kPhotoshopSignature;
    if (block.size() < start || std::memcmp(block.data(), kPhotoshopSignature, start) != 0) return block;
    Bytes kept(block.begin(), block.begin() + start);
    std::size_t at = start;
    while (at < block.size()) {
        // Signature, id, a name padded to an even length, size, data padded to an even length.
        if (block.size() - at < 7) return block;
        const std::uint16_t id = static_cast<std::uint16_t>(big_endian(&block[at + 4], 2));
        const std::size_t name_size = (block[at + 6] + 2) & ~std::size_t{1};
        if (block.size() - at < 6 + name_size + 4) return block;
        const std::size_t data_size = big_endian(&block[at + 6 + name_size], 4);
        const std::size_t padded = data_size + (data_size & 1);
        const std::size_t resource_size = 6 + name_size + 4 + padded;
        if (data_size > block.size() || block.size() - at < 6 + name_size + 4 + data_size) return block;
        const std::size_t end = std::min(block.size(), at + resource_size);
        if (std::find(std::begin(kPhotoshopThumbnailIds), std::end(kPhotoshopThumbnailIds), id) ==
            std::end(kPhotoshopThumbnailIds))
            kept.insert(kept.end(), block.begin() + static_cast<std::ptrdiff_t>(at),
                        block.begin() + static_cast<std::ptrdiff_t>(end));
        at = end;
    }
    return kept;
}

}  // namespace

PhotoMetadata metadata_for_saved_photo(const PhotoMetadata& loaded, const Bitmap32& saved_photo,
                                       const CurveTriple* curves)
{
    const int width = saved_photo.is_empty() ? 0 : saved_photo.width();
    const int height = saved_photo.is_empty() ? 0 : saved_photo.height();
    PhotoMetadata saved;
    saved.icc_profile = loaded.icc_profile;
    saved.density = loaded.density;
    saved.comments = loaded.comments;
    saved.extended_xmp = loaded.extended_xmp;
    for (const Bytes& block : loaded.iptc) saved.iptc.push_back(without_photoshop_thumbnails(block));
    if (!loaded.xmp.empty()) saved.xmp = xmp_for_saved_photo(loaded.xmp, width, height);
    if (!loaded.exif.empty())
        saved.exif = exif_for_saved_photo(loaded.exif, width, height,
                                          [&] { return exif_thumbnail_of(saved_photo, curves); });
    return saved;
}
