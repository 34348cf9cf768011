#pragma once

// Metadata segments laid out the way cameras, phones and photo libraries write
// them, for test photos and the fuzzers' seeds: EXIF with a maker note, GPS and a
// thumbnail, XMP in either of its two spellings, and an IPTC record.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/sample_jpeg/sample_jpeg.h"

struct CameraExifSettings {
    bool big_endian = false;
    int orientation = 1;
    int pixel_width = 0;  // PixelXDimension and PixelYDimension, written as SHORTs
    int pixel_height = 0;
    bool image_size_in_ifd0 = false;     // ImageWidth and ImageLength in IFD0 as well
    Bytes thumbnail;                     // a JPEG stream for IFD1, placed last; no IFD1 when empty
    int thumbnail_width = 0;             // when set, IFD1 also holds ImageWidth, ImageLength and
    int thumbnail_height = 0;            // an Orientation, as some cameras write them
    std::size_t maker_note_padding = 0;  // extra bytes at the maker note's end, to make the block big
    std::string make = "Tintelo Optics";
    // More maker-note entries, each one LONG (tags above 3), such as a maker's pointers.
    std::vector<std::pair<std::uint16_t, std::uint32_t>> maker_note_longs;
};

/// An EXIF APP1 payload ("Exif\0\0" and a TIFF structure) like a camera's: IFD0
/// (make, model, orientation, resolution, software, date, artist, copyright), an
/// EXIF IFD (exposure, ISO, dates, focal length, lens, pixel dimensions and a maker
/// note whose own directory points by absolute offsets into the block, as some
/// makers' do, so that it breaks if anything before it moves), a GPS IFD, and IFD1
/// with the thumbnail.
Bytes camera_exif_payload(const CameraExifSettings& settings);

/// Where the maker note lies in a payload from camera_exif_payload, and its size.
struct ByteSpan {
    std::size_t offset = 0;
    std::size_t size = 0;
};
ByteSpan camera_exif_maker_note(const CameraExifSettings& settings);

/// An XMP APP1 payload like a photo library's: rating, label, dates, keywords, title,
/// city, tiff:Orientation and exif:PixelXDimension / PixelYDimension, written as
/// attributes or as elements, with the usual padding before the packet's end.
Bytes xmp_payload(bool as_elements, int orientation, int pixel_width, int pixel_height);

/// An APP13 payload ("Photoshop 3.0\0" resources) with an IPTC record: keywords,
/// caption, by-line, city, date; and a Photoshop thumbnail resource around
/// `photoshop_thumbnail` when that is not empty.
Bytes iptc_payload(const Bytes& photoshop_thumbnail = {});
