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

bool starts_with(const jpeg_marker_struct& marker, std::string_view signature)
{
    return marker.data_length >= signature.size() &&
           std::memcmp(marker.data, signature.data(), signature.size()) == 0;
}

void write_segment(j_compress_ptr cinfo, int code, const std::vector<std::uint8_t>& payload)
{
    if (payload.size() > kMaxSegmentPayload) return;
    jpeg_write_marker(cinfo, code, payload.data(), static_cast<unsigned int>(payload.size()));
}

}  // namespace

void keep_metadata_markers(j_decompress_ptr cinfo)
{
    for (const int code : {kApp1, kApp2, kApp13, static_cast<int>(JPEG_COM)})
        jpeg_save_markers(cinfo, code, 0xFFFF);
}

void read_metadata_markers(j_decompress_ptr cinfo, PhotoMetadata& metadata)
{
    for (jpeg_saved_marker_ptr marker = cinfo->marker_list; marker != nullptr; marker = marker->next) {
        auto copy = [marker] {
            return std::vector<std::uint8_t>(marker->data, marker->data + marker->data_length);
        };
        if (marker->marker == kApp1) {
            // Only the first of each counts, as for every reader.
            if (starts_with(*marker, kExifSignature)) {
                if (metadata.exif.empty()) metadata.exif = copy();
            } else if (starts_with(*marker, kXmpSignature)) {
                if (metadata.xmp.empty()) metadata.xmp = copy();
            } else if (starts_with(*marker, kExtendedXmpSignature)) {
                metadata.extended_xmp.push_back(copy());
            }
        } else if (marker->marker == kApp13 && starts_with(*marker, kPhotoshopSignature)) {
            metadata.iptc.push_back(copy());
        } else if (marker->marker == JPEG_COM) {
            metadata.comments.push_back(copy());
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
    for (const auto& block : metadata.iptc) write_segment(cinfo, kApp13, block);
    for (const auto& comment : metadata.comments) write_segment(cinfo, JPEG_COM, comment);
}
