#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/row_sink.h"
#include "photo_files/exif_orientation.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/photo_metadata.h"
#include "tests/photo_files/jpeg_fixtures.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pixels.h"
#include "tests/support/temp_dir.h"

namespace {

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };

struct OrientationCase {
    int orientation;
    Corner stored_top_left_goes_to;
    Corner stored_top_right_goes_to;
};

void PrintTo(const OrientationCase& c, std::ostream* out)
{
    *out << "orientation " << c.orientation;
}

std::uint32_t at_corner(const Bitmap32& photo, Corner corner)
{
    const int right = photo.width() - 1, bottom = photo.height() - 1;
    switch (corner) {
        case TopLeft:
            return photo.pixel(0, 0);
        case TopRight:
            return photo.pixel(right, 0);
        case BottomLeft:
            return photo.pixel(0, bottom);
        case BottomRight:
            return photo.pixel(right, bottom);
    }
    return 0;
}

class Orientation : public testing::TestWithParam<std::tuple<OrientationCase, bool>> {
protected:
    TempDir dir;
};

// The stored photo is loaded once without a tag; with each tag the loaded photo must
// be that same photo turned upright: the named corners end where EXIF says, and
// every pixel comes from the stored pixel the turn maps to it.
TEST_P(Orientation, IsAppliedToThePixels)
{
    const auto [c, big_endian] = GetParam();
    constexpr int kWidth = 40, kHeight = 37;  // uneven, and more rows than one batch of the decoder
    const TestImage image = quadrant_image(kWidth, kHeight);
    EncodeOptions plain;
    plain.sampling = full_chroma_sampling();
    EncodeOptions tagged = plain;
    tagged.markers.push_back(app1_marker(exif_orientation_payload(c.orientation, big_endian)));

    Bitmap32 stored, upright;
    write_bytes(dir.file("plain.jpg"), encode_test_jpeg(image, plain));
    write_bytes(dir.file("tagged.jpg"), encode_test_jpeg(image, tagged));
    ASSERT_TRUE(load_photo(dir.file("plain.jpg"), stored));
    ASSERT_TRUE(load_photo(dir.file("tagged.jpg"), upright));

    const bool turned = c.orientation >= 5;
    ASSERT_EQ(upright.width(), turned ? kHeight : kWidth);
    ASSERT_EQ(upright.height(), turned ? kWidth : kHeight);
    EXPECT_EQ(at_corner(upright, c.stored_top_left_goes_to), stored.pixel(0, 0));
    EXPECT_EQ(at_corner(upright, c.stored_top_right_goes_to), stored.pixel(kWidth - 1, 0));

    const bool mirror_x =
        c.orientation == 2 || c.orientation == 3 || c.orientation == 7 || c.orientation == 8;
    const bool mirror_y =
        c.orientation == 3 || c.orientation == 4 || c.orientation == 6 || c.orientation == 7;
    // Where upright pixel (u, v) lies in the stored photo: mirror first, then swap axes.
    const int mismatches = count_pixels_unlike(upright, [&](int u, int v) {
        int x = turned ? v : u, y = turned ? u : v;
        if (mirror_x) x = kWidth - 1 - x;
        if (mirror_y) y = kHeight - 1 - y;
        return stored.pixel(x, y);
    });
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(AllEight, Orientation,
                         testing::Combine(testing::Values(OrientationCase{1, TopLeft, TopRight},
                                                          OrientationCase{2, TopRight, TopLeft},
                                                          OrientationCase{3, BottomRight, BottomLeft},
                                                          OrientationCase{4, BottomLeft, BottomRight},
                                                          OrientationCase{5, TopLeft, BottomLeft},
                                                          OrientationCase{6, TopRight, BottomRight},
                                                          OrientationCase{7, BottomRight, TopRight},
                                                          OrientationCase{8, BottomLeft, TopLeft}),
                                          testing::Bool()),
                         [](const auto& info) {
                             return "orientation_" + std::to_string(std::get<0>(info.param).orientation) +
                                    (std::get<1>(info.param) ? "_big_endian" : "_little_endian");
                         });

// Keeps what each range of rows held when it was told, to compare with the loaded photo.
class RecordingRowSink : public RowSink {
public:
    void rows_final(const Bitmap32& photo, int first, int end) override
    {
        if (ended > 0) ++told_after_end;
        if (!ranges.empty() && first != ranges.back().second && end != ranges.back().first) ++not_continued;
        ranges.emplace_back(first, end);
        for (int y = first; y < end; ++y)
            rows.emplace_back(photo.scan_line(y), photo.scan_line(y) + photo.width());
        for (int y = first; y < end; ++y) row_numbers.push_back(y);
    }
    void rows_ended() override { ++ended; }

    std::vector<std::pair<int, int>> ranges;
    std::vector<int> row_numbers;
    std::vector<std::vector<std::uint32_t>> rows;
    int ended = 0;
    int told_after_end = 0;
    int not_continued = 0;
};

// A decoder that tells its rows as they come tells every upright row once, in ranges
// that continue each other, only once the row is final (turned, converted from gray
// or CMYK), and ends the rows before it returns, also when the load fails. A photo
// of the present size is decoded into the present storage with the same pixels.
TEST(RowsAsDecoded, EveryUprightRowOnceAndFinal)
{
    TempDir dir;
    constexpr int kWidth = 40, kHeight = 37;
    std::vector<std::pair<std::string, Bytes>> files;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        EncodeOptions tagged;
        tagged.markers.push_back(app1_marker(exif_orientation_payload(orientation, false)));
        files.emplace_back("orientation " + std::to_string(orientation),
                           encode_test_jpeg(colour_image(kWidth, kHeight), tagged));
    }
    files.emplace_back("gray", encode_test_jpeg(gray_image(kWidth, kHeight)));
    const std::uint8_t inks[4] = {10, 200, 30, 40};
    files.emplace_back("cmyk", encode_test_jpeg(flat_cmyk_image(kWidth, kHeight, inks)));
    files.emplace_back("not a jpeg", Bytes{'n', 'o', 't'});

    Bitmap32 reused;
    for (const auto& [name, bytes] : files) {
        write_bytes(dir.file("photo.jpg"), bytes);
        Bitmap32 photo;
        PhotoMetadata metadata;
        RecordingRowSink sink;
        const bool loaded = load_photo(dir.file("photo.jpg"), photo, &metadata, nullptr, &sink);
        EXPECT_GE(sink.ended, 1) << name;
        EXPECT_EQ(sink.told_after_end, 0) << name;
        EXPECT_EQ(sink.not_continued, 0) << name;
        if (!loaded) {
            EXPECT_EQ(name, "not a jpeg");
            EXPECT_TRUE(sink.ranges.empty());
            continue;
        }
        std::vector<int> sorted = sink.row_numbers;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> every_row(static_cast<std::size_t>(photo.height()));
        for (int y = 0; y < photo.height(); ++y) every_row[static_cast<std::size_t>(y)] = y;
        ASSERT_EQ(sorted, every_row) << name;
        for (std::size_t i = 0; i < sink.rows.size(); ++i) {
            const int y = sink.row_numbers[i];
            EXPECT_EQ(sink.rows[i],
                      std::vector<std::uint32_t>(photo.scan_line(y), photo.scan_line(y) + photo.width()))
                << name << ", row " << y;
        }
        // The storage of the photo loaded before (upright sizes differ for quarter turns).
        const std::uint32_t* storage_before = reused.pixels();
        const bool same_size = reused.width() == photo.width() && reused.height() == photo.height();
        ASSERT_TRUE(load_photo(dir.file("photo.jpg"), reused, &metadata));
        if (same_size) {
            EXPECT_EQ(reused.pixels(), storage_before) << name;
        }
        EXPECT_EQ(count_pixels_unlike(reused, [&](int x, int y) { return photo.pixel(x, y); }), 0) << name;
    }
}

// A file that never reaches the decoder ends the rows too: one that cannot be read,
// and one whose name chooses no decoder.
TEST(RowsAsDecoded, EndAlsoWhenTheFileIsNeverDecoded)
{
    TempDir dir;
    write_bytes(dir.file("photo.png"), encode_test_jpeg(colour_image(8, 8)));
    for (const std::string& path : {dir.file("missing.jpg"), dir.file("photo.png")}) {
        Bitmap32 photo;
        RecordingRowSink sink;
        EXPECT_FALSE(load_photo(path, photo, nullptr, nullptr, &sink)) << path;
        EXPECT_GE(sink.ended, 1) << path;
        EXPECT_TRUE(sink.ranges.empty()) << path;
    }
}

TEST(ExifOrientation, UnusableBlocksMeanUpright)
{
    const Bytes six = exif_orientation_payload(6, false);
    EXPECT_EQ(exif_orientation(six.data(), six.size()), 6);
    const Bytes nine = exif_orientation_payload(9, false);
    EXPECT_EQ(exif_orientation(nine.data(), nine.size()), 1);
    const Bytes zero = exif_orientation_payload(0, true);
    EXPECT_EQ(exif_orientation(zero.data(), zero.size()), 1);
    Bytes cut(six.begin(), six.begin() + 20);
    EXPECT_EQ(exif_orientation(cut.data(), cut.size()), 1);
    Bytes not_exif = six;
    not_exif[0] = 'X';
    EXPECT_EQ(exif_orientation(not_exif.data(), not_exif.size()), 1);
    Bytes garbage{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0, 0xFF, 0xFF, 0xFF, 0x7F};  // IFD far outside
    EXPECT_EQ(exif_orientation(garbage.data(), garbage.size()), 1);
}

TEST(ExifOrientation, AnXmpBlockBeforeTheExifBlockIsPassedOver)
{
    TempDir dir;
    // Two APP1 markers: the loader must look past the first, which is no EXIF block.
    EncodeOptions options;
    options.sampling = full_chroma_sampling();
    const std::string xmp_text = "http://ns.adobe.com/xap/1.0/";
    Bytes xmp(xmp_text.begin(), xmp_text.end());
    xmp.push_back(0);
    options.markers.push_back(app1_marker(xmp));
    Bytes jpeg = encode_test_jpeg(quadrant_image(20, 10), options);
    const Bytes exif = exif_orientation_payload(8, false);
    Bytes marker{0xFF, 0xE1, static_cast<std::uint8_t>((exif.size() + 2) >> 8),
                 static_cast<std::uint8_t>(exif.size() + 2)};
    marker.insert(marker.end(), exif.begin(), exif.end());
    const std::size_t after_first_app1 =
        find_marker(jpeg, 0xE1) + 2 +
        (jpeg[find_marker(jpeg, 0xE1) + 2] << 8 | jpeg[find_marker(jpeg, 0xE1) + 3]);
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(after_first_app1), marker.begin(), marker.end());
    write_bytes(dir.file("xmp_then_exif.jpg"), jpeg);
    Bitmap32 photo;
    ASSERT_TRUE(load_photo(dir.file("xmp_then_exif.jpg"), photo));
    EXPECT_EQ(photo.width(), 10);
    EXPECT_EQ(photo.height(), 20);
}

}  // namespace
