#include "photo_files/jpeg_metadata_markers.h"

#include <cstring>
#include <string_view>

#include "photo_files/photo_metadata.h"

namespace {

using namespace std::string_view_literals;

constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp2 = JPEG_APP0 + 2;
constexpr int kApp13 = JPEG_APP0 + 13;

constexpr std::string_view kExifSignature = "Exif\0\0"sv;
constexpr std::string_view kXmpSignature = "http://ns.adobe.com/xap/1.0/\0"sv;
constexpr std::string_view kExtendedXmpSignature = "http://ns.adobe.com/xmp/extension/\0"sv;
constexpr std::string_view kPhotoshopSignature = "Photoshop 3.0\0"sv;
constexpr std::string_view kJfifSignature = "JFIF\0"sv;
constexpr std::string_view kIccSignature = "ICC_PROFILE\0"sv;
// Bytes of profile per APP2 chunk, after the signature and the chunk's number and count.
constexpr std::size_t kIccChunkData = 65519;
constexpr std::size_t kIccChunkHeader = kIccSignature.size() + 2;
// The start of image and the JFIF header the encoder writes before any segment of ours.
constexpr std::size_t kBeforeFirstSegment = 2 + 2 + 2 + 14;

void write_segment(j_compress_ptr cinfo, int code, const std::vector<std::uint8_t>& payload)
{
    if (payload.size() > kMaxSegmentPayload) return;
    jpeg_write_marker(cinfo, code, payload.data(), static_cast<unsigned int>(payload.size()));
}

}  // namespace

void keep_metadata_markers(j_decompress_ptr cinfo)
{
    jpeg_save_markers(cinfo, kApp2, 0xFFFF);
}

void read_metadata_markers(j_decompress_ptr cinfo, const std::uint8_t* data,
                           const std::vector<HeaderSegment>& segments, PhotoMetadata& metadata)
{
    const HeaderSegment* exif = chosen_exif(segments, data);
    for (const HeaderSegment& segment : segments) {
        const std::uint8_t* payload = data + segment.payload_offset;
        const std::string_view text(reinterpret_cast<const char*>(payload), segment.payload_size);
        auto copy = [&] { return std::vector<std::uint8_t>(payload, payload + segment.payload_size); };
        const int code = segment.code;
        if (&segment == exif) {
            metadata.exif = copy();
            metadata.places.exif = segment.payload_offset;
        } else if (code == kApp1 && text.starts_with(kExifSignature)) {
            // Readers use only one EXIF block.
        } else if (code == kApp1 && text.starts_with(kXmpSignature)) {
            if (metadata.xmp.empty()) metadata.xmp = copy();
        } else if (code == kApp1 && text.starts_with(kExtendedXmpSignature)) {
            metadata.extended_xmp.push_back(copy());
        } else if (code == kApp13 && text.starts_with(kPhotoshopSignature)) {
            metadata.iptc.push_back(copy());
        } else if (code == JPEG_COM) {
            metadata.comments.push_back(copy());
        } else if ((code == JPEG_APP0 && text.starts_with(kJfifSignature)) ||
                   (code == kApp2 && text.starts_with(kIccSignature))) {
            // The encoder writes its own JFIF header; libjpeg puts the profile together.
        } else if (code >= JPEG_APP0 && code <= JPEG_APP0 + 15) {
            metadata.vendor_segments.push_back({segment.code, copy()});
            metadata.places.vendor_segments.push_back(segment.payload_offset);
        }
    }
    if (cinfo->saw_JFIF_marker)
        metadata.density = JfifDensity{cinfo->density_unit, cinfo->X_density, cinfo->Y_density};
}

void set_jfif_density(j_compress_ptr cinfo, const PhotoMetadata& metadata)
{
    // A density the JFIF format does not allow keeps the encoder's 1:1 without unit.
    const std::optional<JfifDensity>& density = metadata.density;
    if (!density || density->unit > 2 || density->x == 0 || density->y == 0) return;
    cinfo->density_unit = density->unit;
    cinfo->X_density = density->x;
    cinfo->Y_density = density->y;
}

void write_metadata_markers(j_compress_ptr cinfo, const PhotoMetadata& metadata)
{
    if (!metadata.exif.empty()) write_segment(cinfo, kApp1, metadata.exif);
    if (!metadata.xmp.empty()) write_segment(cinfo, kApp1, metadata.xmp);
    for (const auto& part : metadata.extended_xmp) write_segment(cinfo, kApp1, part);
    if (!metadata.icc_profile.empty())
        jpeg_write_icc_profile(cinfo, metadata.icc_profile.data(),
                               static_cast<unsigned int>(metadata.icc_profile.size()));
    for (const auto& segment : metadata.vendor_segments) write_segment(cinfo, segment.code, segment.payload);
    for (const auto& block : metadata.iptc) write_segment(cinfo, kApp13, block);
    for (const auto& comment : metadata.comments) write_segment(cinfo, JPEG_COM, comment);
}

SavedPlaces saved_places(const PhotoMetadata& metadata)
{
    SavedPlaces places;
    std::size_t at = kBeforeFirstSegment;
    // Each segment written: its marker and length field, then its payload.
    auto place = [&at](const std::vector<std::uint8_t>& payload) -> std::size_t {
        if (payload.empty() || payload.size() > kMaxSegmentPayload) return 0;
        at += 4 + payload.size();
        return at - payload.size();
    };
    places.exif = place(metadata.exif);
    place(metadata.xmp);
    for (const auto& part : metadata.extended_xmp) place(part);
    const std::size_t profile = metadata.icc_profile.size();
    const std::size_t chunks = (profile + kIccChunkData - 1) / kIccChunkData;
    at += chunks * (4 + kIccChunkHeader) + profile;
    for (const auto& segment : metadata.vendor_segments)
        places.vendor_segments.push_back(place(segment.payload));
    return places;
}
