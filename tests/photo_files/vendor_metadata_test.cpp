// What a saved photo keeps of the segments and trailing data that cameras and photo
// tools write beside the EXIF block, and that no pointer in it points at wrong data.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/jpeg_segments.h"
#include "tests/photo_files/jpeg_fixtures.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_jpeg/sample_metadata.h"

namespace {

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v, bool big = false)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * (big ? 3 - i : i)));
}

std::uint32_t get32(const Bytes& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::size_t find(const Bytes& haystack, const Bytes& needle)
{
    const auto at = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
    return at == haystack.end() ? std::string::npos : static_cast<std::size_t>(at - haystack.begin());
}

// Everything after the end of image: the first end marker after the first scan.
Bytes trailer_of(const Bytes& jpeg)
{
    for (std::size_t i = find_marker(jpeg, 0xDA); i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xD9) return Bytes(jpeg.begin() + i + 2, jpeg.end());
    return {};
}

std::vector<JpegMarker> app_segments(const Bytes& jpeg)
{
    std::vector<JpegMarker> found;
    for (const HeaderSegment& s : header_segments(jpeg.data(), jpeg.size()))
        if (s.code >= 0xE0 && s.code <= 0xEF)
            found.push_back({s.code, Bytes(jpeg.begin() + s.payload_offset,
                                           jpeg.begin() + s.payload_offset + s.payload_size)});
    return found;
}

// exiftool's validation warnings, one per line.
std::set<std::string> validation_warnings(const std::string& path)
{
    std::set<std::string> warnings;
    std::FILE* pipe = popen(("exiftool -validate -warning -a -s3 '" + path + "' 2>&1").c_str(), "r");
    char line[1024];
    // The Validate tag's own summary ("3 Warnings") is left out; the warnings follow it.
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr)
        if (!(std::isdigit(static_cast<unsigned char>(line[0])) || std::string(line) == "OK\n"))
            warnings.insert(line);
    if (pipe != nullptr) pclose(pipe);
    return warnings;
}

// An MPF index with the photo itself and one more image at `offset` (from the
// index's TIFF header) of `size` bytes.
Bytes mpf_index(std::uint32_t offset, std::uint32_t size)
{
    Bytes b = text(std::string("MPF\0II*\0", 8)) + Bytes(4 + 2 + 24 + 4 + 32, 0);
    put32(b, 8, 8);
    b[12] = 2;
    const Bytes entries = {0x00, 0xB0, 7, 0, 4,  0, 0, 0, '0', '1', '0', '0',
                           0x02, 0xB0, 7, 0, 32, 0, 0, 0, 38,  0,   0,   0};
    std::copy(entries.begin(), entries.end(), b.begin() + 14);
    put32(b, 4 + 38, 0x20030000), put32(b, 4 + 38 + 16 + 4, size), put32(b, 4 + 38 + 16 + 8, offset);
    return b;
}

class VendorMetadata : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("exiftool -ver >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "exiftool (libimage-exiftool-perl) is not installed";
    }

    // Saves `original` as the program does; the saved file's bytes.
    Bytes open_and_save(const Bytes& original)
    {
        write_bytes(dir.file("camera.jpg"), original);
        PhotoMetadata metadata;
        EXPECT_TRUE(load_photo(dir.file("camera.jpg"), photo, &metadata));
        write_photo(photo, dir.file("saved.jpg"), metadata);
        const std::set<std::string> before = validation_warnings(dir.file("camera.jpg"));
        for (const std::string& warning : validation_warnings(dir.file("saved.jpg")))
            EXPECT_EQ(before.count(warning), 1u) << "exiftool -validate warns of the saved file: " << warning;
        return read_bytes(dir.file("saved.jpg"));
    }

    TempDir dir;
    Bitmap32 photo;
    const Bytes secondary = encode_test_jpeg(colour_image(16, 16));
    const Bytes iptc_trailer = text("8BIM....IPTC record kept by a photo tool....cbipcbbl");
};

// A picture inside other data is known by its structure, not by its first bytes: the whole
// stream, or up to the data's end when it is cut off in its image data.
TEST(EmbeddedJpeg, IsKnownByItsStructure)
{
    const Bytes picture = encode_test_jpeg(colour_image(16, 16));
    const Bytes data = text("before") + picture + text("after");
    EXPECT_EQ(embedded_jpeg_end(data.data(), data.size(), 6), 6 + picture.size());
    const std::size_t scan = 6 + find_marker(picture, 0xDA);
    for (const std::size_t cut : {scan + 30, scan - 3}) {
        const Bytes part(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(embedded_jpeg_end(part.data(), part.size(), 6), cut > scan ? cut : 0) << cut;
    }
    const Bytes interrupted = Bytes{0xFF, 0xD8} + text("junk") + Bytes(picture.begin() + 2, picture.end());
    EXPECT_EQ(embedded_jpeg_end(interrupted.data(), interrupted.size(), 0), 0u);
    EXPECT_EQ(embedded_jpeg_end(data.data(), data.size(), 7), 0u);
}

// Maker segments stay byte for byte and in their order; those that would be false
// go: the multi-picture index with its image, the JFIF extension's thumbnail, Adobe's
// colour-transform flag.
TEST_F(VendorMetadata, SegmentsAndTrailerNobodyPointsAtAreKeptTheRestGoes)
{
    const std::vector<JpegMarker> kept = {
        {JPEG_APP0 + 6, text("GoPro") + Bytes(300, 0x61)},
        {JPEG_APP0 + 1, text(std::string("FLIR\0\1\2", 7)) + Bytes(900, 0x33)},
        {JPEG_APP0 + 5, text("RMETA") + Bytes(40, 0x07)},
        {JPEG_APP0 + 2, text(std::string("FPXR\0", 5)) + Bytes(64, 0x11)},
        {JPEG_APP0 + 4, text("QVCI") + Bytes(20, 0x09)},
        {JPEG_APP0 + 9, text("thermal") + Bytes(10, 0xFE)},
    };
    EncodeOptions options;
    CameraExifSettings exif;
    options.markers = {app1_marker(camera_exif_payload(exif)),
                       kept[0],
                       kept[1],
                       {JPEG_APP0 + 2, mpf_index(0, 0)},
                       kept[2],
                       {JPEG_APP0, text(std::string("JFXX\0\x13", 6))},
                       {JPEG_APP0 + 14, text("Adobe") + Bytes{0x00, 0x64, 0, 0, 0, 0, 1}},
                       kept[3],
                       kept[4],
                       kept[5]};
    Bytes file = encode_test_jpeg(quadrant_image(48, 32), options);
    const std::size_t mpf_tiff = find(file, text(std::string("MPF\0", 4))) + 4;
    put32(file, mpf_tiff + 38 + 16 + 4, static_cast<std::uint32_t>(secondary.size()));
    put32(file, mpf_tiff + 38 + 16 + 8, static_cast<std::uint32_t>(file.size() - mpf_tiff));
    file = file + secondary + iptc_trailer;

    const Bytes saved = open_and_save(file);
    std::vector<JpegMarker> saved_vendor;
    for (JpegMarker& m : app_segments(saved))
        if (!(m.code == JPEG_APP0 && m.payload[0] == 'J' && m.payload[3] == 'F' && m.payload[4] == 0) &&
            !(m.code == JPEG_APP0 + 1 && m.payload[0] == 'E'))
            saved_vendor.push_back(std::move(m));
    ASSERT_EQ(saved_vendor.size(), kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(saved_vendor[i].code, kept[i].code) << i;
        EXPECT_EQ(saved_vendor[i].payload, kept[i].payload) << i;
    }
    EXPECT_EQ(trailer_of(saved), iptc_trailer);
}

// Canon's decision data (counted from the file's start) and a Sony preview (counted
// from the TIFF header) lie after the image: both go, and so do the pointers; a
// pointer into a kept segment moves with it.
TEST_F(VendorMetadata, MakerNotePointersAreMadeTrueOrCleared)
{
    for (const bool into_segment : {false, true}) {
        for (const std::string make : {"Canon", "SONY"}) {
            SCOPED_TRACE(make + (into_segment ? " into a segment" : " into the trailer"));
            CameraExifSettings exif;
            exif.make = make;
            exif.maker_note_longs = make == "Canon"
                                        ? decltype(exif.maker_note_longs){{0x0083, 0}}
                                        : decltype(exif.maker_note_longs){{0x0088, 0}, {0x0089, 0}};
            const Bytes payload = camera_exif_payload(exif);
            const std::size_t value = camera_exif_maker_note(exif).offset + 2 + 3 * 12 + 8;
            Bytes target = Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1} + Bytes(20, 0x5C) + Bytes{0, 0, 0, 1} +
                           Bytes(32, 0x3C);
            if (make != "Canon") target = secondary;
            EncodeOptions options;
            options.markers = {app1_marker(payload)};
            options.icc_profile.assign(600, 0x5A);  // saved between the EXIF block and the segment
            if (into_segment) options.markers.push_back({JPEG_APP0 + 7, target});
            Bytes file = encode_test_jpeg(quadrant_image(48, 32), options);
            const std::size_t exif_at = find(file, Bytes(payload.begin(), payload.begin() + 40));
            const std::size_t target_at = into_segment ? find(file, target) : file.size();
            put32(file, exif_at + value,
                  static_cast<std::uint32_t>(target_at - (make == "Canon" ? 0 : exif_at + 6)));
            if (make != "Canon") put32(file, exif_at + value + 12, static_cast<std::uint32_t>(target.size()));
            if (!into_segment) file = file + target + iptc_trailer;

            const Bytes saved = open_and_save(file);
            const std::size_t saved_exif = find(saved, Bytes(payload.begin(), payload.begin() + 8));
            const std::uint32_t pointer = get32(saved, saved_exif + value);
            if (into_segment) {
                const std::size_t base = make == "Canon" ? 0 : saved_exif + 6;
                ASSERT_LT(base + pointer + target.size(), saved.size());
                EXPECT_EQ(
                    Bytes(saved.begin() + base + pointer, saved.begin() + base + pointer + target.size()),
                    target);
            } else {
                EXPECT_EQ(pointer, 0u);
                if (make != "Canon") {
                    EXPECT_EQ(get32(saved, saved_exif + value + 12), 0u);
                }
                EXPECT_EQ(trailer_of(saved), iptc_trailer);
            }
        }
    }
}

// An unknown maker's pointers out of the EXIF block: an out-of-line value moves with its
// segment, or is emptied when its bytes go (after the image, or in the image data); a LONG
// pointing at a picture after the image is cleared, and the picture goes; numbers stay.
// Canon decision data of an unknown version goes to the end, as the camera writes it last.
TEST_F(VendorMetadata, PointersOutOfTheExifBlockAreMadeTrueOrCleared)
{
    CameraExifSettings exif;
    exif.maker_note_longs = {{0x0010, 0}, {0x0011, 123456}, {0x0012, 0}};
    const Bytes payload = camera_exif_payload(exif);
    const std::size_t entries = camera_exif_maker_note(exif).offset + 2;
    const Bytes segment = text("twelve bytes in a kept segment");
    EncodeOptions options;
    options.markers = {app1_marker(payload), {JPEG_APP0 + 7, segment}};
    Bytes file = encode_test_jpeg(quadrant_image(48, 32), options);
    const std::size_t exif_at = find(file, Bytes(payload.begin(), payload.begin() + 40));
    put32(file, exif_at + entries + 8, static_cast<std::uint32_t>(find(file, segment) - exif_at - 6));
    file[exif_at + entries + 5 * 12 + 4] = 3;  // three LONGs, in the image data
    put32(file, exif_at + entries + 5 * 12 + 8,
          static_cast<std::uint32_t>(find_marker(file, 0xDA) + 20 - exif_at - 6));
    put32(file, exif_at + entries + 3 * 12 + 8,
          static_cast<std::uint32_t>(file.size()));  // from the file's start
    // Two SHORTs whose bytes, read as a LONG, would land there too: numbers, not a pointer.
    file[exif_at + entries + 2 * 12 + 2] = 3;
    file[exif_at + entries + 2 * 12 + 4] = 2;
    put32(file, exif_at + entries + 2 * 12 + 8, static_cast<std::uint32_t>(file.size() + 4));
    const std::size_t text_at = file.size() + secondary.size();
    put32(file, exif_at + entries + 12 + 8,
          static_cast<std::uint32_t>(text_at - exif_at - 6));  // 16 ASCII bytes
    file = file + secondary + text("serial past EOI.") + iptc_trailer;

    Bytes saved = open_and_save(file);
    std::size_t saved_entries = find(saved, Bytes(payload.begin(), payload.begin() + 8)) + entries;
    EXPECT_EQ(get32(saved, saved_entries + 3 * 12 + 8), 0u);
    EXPECT_EQ(get32(saved, saved_entries + 12 + 4), 0u);
    EXPECT_EQ(get32(saved, saved_entries + 12 + 8), 0u);
    EXPECT_EQ(get32(saved, saved_entries + 4 * 12 + 8), 123456u);
    EXPECT_EQ(get32(saved, saved_entries + 2 * 12 + 8), get32(file, exif_at + entries + 2 * 12 + 8));
    EXPECT_EQ(trailer_of(saved), iptc_trailer);
    const std::size_t moved = saved_entries - entries + 6 + get32(saved, saved_entries + 8);
    EXPECT_EQ(Bytes(saved.begin() + moved, saved.begin() + moved + 12),
              Bytes(segment.begin(), segment.begin() + 12));
    EXPECT_EQ(get32(saved, saved_entries + 5 * 12 + 4), 0u);
    EXPECT_EQ(get32(saved, saved_entries + 5 * 12 + 8), 0u);

    exif.make = "Canon";
    exif.maker_note_longs = {{0x0083, 0}};
    const Bytes canon = camera_exif_payload(exif);
    const std::size_t canon_entries = camera_exif_maker_note(exif).offset + 2;
    options.markers = {app1_marker(canon)};
    file = encode_test_jpeg(quadrant_image(48, 32), options);
    put32(file, find(file, Bytes(canon.begin(), canon.begin() + 40)) + canon_entries + 3 * 12 + 8,
          static_cast<std::uint32_t>(file.size()));
    file = file + Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 9} + Bytes(40, 0x5C);
    saved = open_and_save(file);
    saved_entries = find(saved, Bytes(canon.begin(), canon.begin() + 8)) + canon_entries;
    EXPECT_EQ(get32(saved, saved_entries + 3 * 12 + 8), 0u);
    EXPECT_EQ(trailer_of(saved), Bytes{});

    // A maker note of a layout not known here, whose first bytes read as more entries than the
    // block holds, is left alone, whatever its bytes would say as a directory.
    exif.make = "Tintelo Optics";
    exif.maker_note_longs = {};
    Bytes odd = camera_exif_payload(exif);
    const std::size_t note = camera_exif_maker_note(exif).offset;
    odd[note] = 0xFF, odd[note + 1] = 0x7F;
    const Bytes entry = {0x99, 0, 4, 0, 3, 0, 0, 0, 0, 0x10, 0, 0};  // three LONGs far outside the block
    std::copy(entry.begin(), entry.end(), odd.begin() + static_cast<std::ptrdiff_t>(note + 2 + 3 * 12));
    options.markers = {app1_marker(odd)};
    saved = open_and_save(encode_test_jpeg(quadrant_image(48, 32), options));
    EXPECT_NE(find(saved, Bytes(odd.begin() + note, odd.begin() + note + 60)), std::string::npos);
}

// A damaged EXIF block before the camera's: the camera's block is the one kept, and
// its orientation is the one applied; an Orientation written as a LONG is saved as
// the standard SHORT.
TEST_F(VendorMetadata, TheReadableExifBlockCountsAndItsOrientationIsSavedAsAShort)
{
    CameraExifSettings exif;
    exif.orientation = 6;
    Bytes payload = camera_exif_payload(exif);
    const std::size_t orientation_type = 6 + 8 + 2 + 2 * 12 + 2;  // IFD0's third entry
    ASSERT_EQ(get32(payload, orientation_type - 2) & 0xFFFF, 0x0112u);
    payload[orientation_type] = 4;  // LONG; the value's upper half is already 0
    EncodeOptions options;
    options.markers = {app1_marker(text(std::string("Exif\0\0XX", 8)) + Bytes(30, 0xEE)),
                       app1_marker(payload)};
    const Bytes saved = open_and_save(encode_test_jpeg(quadrant_image(48, 32), options));

    EXPECT_EQ(photo.width(), 32);  // turned upright by the second block's orientation
    const std::size_t saved_exif = find(saved, Bytes(payload.begin(), payload.begin() + 8));
    ASSERT_NE(saved_exif, std::string::npos);
    EXPECT_EQ(saved[saved_exif + orientation_type], 3);
    EXPECT_EQ(saved[saved_exif + orientation_type + 6], 1);
    const std::size_t note = camera_exif_maker_note(exif).offset;
    EXPECT_EQ(Bytes(saved.begin() + saved_exif + note, saved.begin() + saved_exif + note + 40),
              Bytes(payload.begin() + note, payload.begin() + note + 40));
}

// A thumbnail that cannot be replaced is unlinked, and its picture is gone from the
// block too.
TEST_F(VendorMetadata, AnUnlinkedThumbnailLeavesNoPictureBehind)
{
    CameraExifSettings exif;
    exif.thumbnail = encode_test_jpeg(colour_image(40, 30));
    const Bytes good = camera_exif_payload(exif);
    const std::size_t ifd1 = 6 + get32(good, 6 + 8 + 2 + 12 * 12);
    for (const std::string damage : {"not a JPEG", "length past the end", "IFD0 out of reach"}) {
        SCOPED_TRACE(damage);
        Bytes payload = good;
        if (damage == "not a JPEG")
            payload[ifd1 + 2 + 8] = 1;  // Compression: uncompressed
        else if (damage == "length past the end")
            put32(payload, ifd1 + 2 + 5 * 12 + 8, 0x7FFFFFFF);
        else
            put32(payload, 6 + 4, 0x7FFFFFF0);  // no reader can walk the block: it is kept as it is
        EncodeOptions options;
        options.markers = {app1_marker(payload)};
        const Bytes saved = open_and_save(encode_test_jpeg(quadrant_image(48, 32), options));
        const Bytes middle(exif.thumbnail.end() - 66, exif.thumbnail.end() - 2);  // its coded picture
        EXPECT_EQ(find(saved, middle), std::string::npos);
        EXPECT_NE(find(saved, text("TX-0001234-5678")), std::string::npos);  // the maker note's serial
    }
}

}  // namespace
