#include "photo_files/saved_photo_metadata.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/bitmap32.h"
#include "photo_files/colour_profile.h"
#include "photo_files/exif_rewrite.h"
#include "photo_files/exif_thumbnail.h"
#include "photo_files/file_pointers.h"
#include "photo_files/jpeg_metadata_markers.h"
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

// Vendor segments that would be false of the saved photo: the multi-picture index
// (its images go, see below), the JFIF extension's thumbnail (the uncorrected
// picture) and Adobe's colour-transform flag (the saved stream is YCbCr under a JFIF
// header; the flag would make readers take it for something else).
bool false_after_save(const VendorSegment& segment)
{
    auto starts = [&](std::uint8_t code, std::string_view signature) {
        return segment.code == code && segment.payload.size() >= signature.size() &&
               std::memcmp(segment.payload.data(), signature.data(), signature.size()) == 0;
    };
    using namespace std::string_view_literals;
    return starts(0xE2, "MPF\0"sv) || starts(0xE0, "JFXX\0"sv) || starts(0xEE, "Adobe"sv);
}

// The loaded trailer without `dropped` (ranges of the loaded file).
Bytes trailer_without(const PhotoMetadata& loaded, const std::vector<FileRange>& dropped)
{
    Bytes kept;
    const std::size_t begin = loaded.places.trailer;
    for (std::size_t i = 0; i < loaded.trailer.size(); ++i) {
        const std::size_t at = begin + i;
        if (std::none_of(dropped.begin(), dropped.end(), [at](const FileRange& r) { return r.holds(at); }))
            kept.push_back(loaded.trailer[i]);
    }
    return kept;
}

// Keeps the vendor segments that stay true, and the data after the image that
// nothing points at; makes every maker-note pointer to other segments or to that
// data true of the saved file, or removes it.
void carry_vendor_data(const PhotoMetadata& loaded, PhotoMetadata& saved)
{
    std::vector<FileRange> dropped;
    std::vector<std::size_t> kept_places;
    for (std::size_t i = 0; i < loaded.vendor_segments.size(); ++i) {
        const VendorSegment& segment = loaded.vendor_segments[i];
        const std::size_t place =
            i < loaded.places.vendor_segments.size() ? loaded.places.vendor_segments[i] : 0;
        if (segment.code == 0xE2) {
            const std::vector<FileRange> images = mpf_secondary_images(segment.payload, place);
            dropped.insert(dropped.end(), images.begin(), images.end());
        }
        if (false_after_save(segment)) continue;
        saved.vendor_segments.push_back(segment);
        kept_places.push_back(place);
    }
    const SavedPlaces places = saved_places(saved);
    saved.places.exif = places.exif;
    saved.places.vendor_segments = places.vendor_segments;
    FileMoves moves;
    moves.old_exif = loaded.places.exif;
    moves.new_exif = places.exif;
    for (std::size_t i = 0; i < kept_places.size(); ++i)
        if (places.vendor_segments[i] != 0)
            moves.kept.push_back({{kept_places[i], kept_places[i] + saved.vendor_segments[i].payload.size()},
                                  places.vendor_segments[i]});
    moves.trailer = {loaded.places.trailer, loaded.places.trailer + loaded.trailer.size()};
    moves.trailer_bytes = &loaded.trailer;
    if (!saved.exif.empty()) {
        const std::vector<FileRange> pointed = fix_maker_note_pointers(saved.exif, moves);
        dropped.insert(dropped.end(), pointed.begin(), pointed.end());
    }
    saved.trailer = trailer_without(loaded, dropped);
}

}  // namespace

PhotoMetadata metadata_for_saved_photo(const PhotoMetadata& loaded, const Bitmap32& saved_photo,
                                       const CurveTriple* curves)
{
    const int width = saved_photo.is_empty() ? 0 : saved_photo.width();
    const int height = saved_photo.is_empty() ? 0 : saved_photo.height();
    PhotoMetadata saved;
    // The saved stream is RGB: a photo converted from CMYK is in sRGB by then.
    saved.icc_profile = is_cmyk_profile(loaded.icc_profile) ? srgb_profile() : loaded.icc_profile;
    saved.density = loaded.density;
    saved.comments = loaded.comments;
    saved.extended_xmp = loaded.extended_xmp;
    for (const Bytes& block : loaded.iptc) saved.iptc.push_back(without_photoshop_thumbnails(block));
    if (!loaded.xmp.empty()) saved.xmp = xmp_for_saved_photo(loaded.xmp, width, height);
    if (!loaded.exif.empty())
        saved.exif = exif_for_saved_photo(loaded.exif, width, height,
                                          [&] { return exif_thumbnail_of(saved_photo, curves); });
    carry_vendor_data(loaded, saved);
    return saved;
}
