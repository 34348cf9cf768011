// What a saved photo carries of the opened photo's metadata, read back by an
// independent reader (exiftool) from files laid out the way cameras and photo
// libraries write them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/photo_metadata.h"
#include "photo_files/xmp_rewrite.h"
#include "tests/photo_files/jpeg_fixtures.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_jpeg/sample_metadata.h"

namespace {

using Tags = std::map<std::string, std::string>;

Bytes run(const std::string& command)
{
    Bytes out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    std::uint8_t buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.insert(out.end(), buffer, buffer + n);
    pclose(pipe);
    return out;
}

// Every tag exiftool reads, by family-1 group ("IFD0:Orientation"), as numbers, and
// its warnings; the file system's tags and exiftool's version are left out.
Tags exiftool_tags(const std::string& path)
{
    const Bytes out = run("exiftool -args -G1 -n -a -u '" + path + "' 2>/dev/null");
    Tags tags;
    std::size_t start = 0;
    const std::string text(out.begin(), out.end());
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (line.size() < 2 || equals == std::string::npos) continue;
        const std::string name = line.substr(1, equals - 1);
        if (name.rfind("System:", 0) == 0 || name == "ExifTool:ExifToolVersion") continue;
        std::string& value = tags[name];
        value += (value.empty() ? "" : "\n") + line.substr(equals + 1);
    }
    return tags;
}

Bytes exiftool_binary(const std::string& path, const std::string& tag)
{
    return run("exiftool -b -" + tag + " '" + path + "' 2>/dev/null");
}

Bytes flat_thumbnail(int width, int height, std::uint8_t red)
{
    TestImage image{width, height, 3, Bytes(static_cast<std::size_t>(width) * height * 3, 0)};
    for (std::size_t i = 0; i < image.samples.size(); i += 3) image.samples[i] = red;
    return encode_test_jpeg(image);
}

struct CameraPhoto {
    int orientation = 6;
    bool big_endian = false;
    bool xmp_as_elements = false;
};

void PrintTo(const CameraPhoto& c, std::ostream* out)
{
    *out << "orientation " << c.orientation << (c.big_endian ? ", big-endian" : ", little-endian")
         << (c.xmp_as_elements ? ", XMP elements" : ", XMP attributes");
}

// A 96 x 64 stored photo with four coloured quadrants and a full camera set of metadata.
class SavedMetadata : public testing::TestWithParam<CameraPhoto> {
protected:
    static constexpr int kWidth = 96, kHeight = 64;

    void SetUp() override
    {
        if (std::system("exiftool -ver >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "exiftool (libimage-exiftool-perl) is not installed";
    }

    Bytes camera_file(const CameraPhoto& c, CameraExifSettings& exif, const TestImage& image)
    {
        exif.big_endian = c.big_endian;
        exif.orientation = c.orientation;
        exif.pixel_width = kWidth;
        exif.pixel_height = kHeight;
        EncodeOptions options;
        options.density_unit = 1;
        options.x_density = options.y_density = 300;
        options.markers = {app1_marker(camera_exif_payload(exif)),
                           app1_marker(xmp_payload(c.xmp_as_elements, c.orientation, kWidth, kHeight)),
                           {JPEG_APP0 + 13, iptc_payload(old_thumbnail)},
                           {JPEG_COM, {'f', 'e', 'r', 'r', 'y'}},
                           {JPEG_COM, {'d', 'u', 's', 'k'}}};
        options.icc_profile.assign(600, 0x5A);
        return encode_test_jpeg(image, options);
    }

    // Opens `original` and saves it the way the program does; the photo as saved.
    void open_and_save(const Bytes& original, Bitmap32& photo)
    {
        write_bytes(dir.file("camera.jpg"), original);
        PhotoMetadata metadata;
        ASSERT_TRUE(load_photo(dir.file("camera.jpg"), photo, &metadata));
        write_photo(photo, dir.file("saved.jpg"), metadata);
    }

    TempDir dir;
    const Bytes old_thumbnail = flat_thumbnail(160, 107, 255);
};

TEST_P(SavedMetadata, EveryTagIsKeptAndOnlyOrientationSizeAndThumbnailChange)
{
    const CameraPhoto c = GetParam();
    CameraExifSettings exif;
    exif.thumbnail = old_thumbnail;
    exif.image_size_in_ifd0 = true;
    exif.thumbnail_width = 160, exif.thumbnail_height = 107;
    Bitmap32 photo;
    open_and_save(camera_file(c, exif, quadrant_image(kWidth, kHeight)), photo);
    const Tags before = exiftool_tags(dir.file("camera.jpg"));
    Tags after = exiftool_tags(dir.file("saved.jpg"));

    // What must change: the photo is upright at its new size, with a new thumbnail.
    const TestImage thumbnail = decode_reference(exiftool_binary(dir.file("saved.jpg"), "ThumbnailImage"));
    Tags expected = before;
    const std::string w = std::to_string(photo.width()), h = std::to_string(photo.height());
    expected["IFD1:ImageWidth"] = std::to_string(thumbnail.width);
    expected["IFD1:ImageHeight"] = std::to_string(thumbnail.height);
    expected["IFD1:Orientation"] = "1";
    for (const char* tag : {"IFD0:Orientation", "XMP-tiff:Orientation"}) expected[tag] = "1";
    for (const char* tag :
         {"File:ImageWidth", "IFD0:ImageWidth", "ExifIFD:ExifImageWidth", "XMP-exif:ExifImageWidth"})
        expected[tag] = w;
    for (const char* tag :
         {"File:ImageHeight", "IFD0:ImageHeight", "ExifIFD:ExifImageHeight", "XMP-exif:ExifImageHeight"})
        expected[tag] = h;
    expected["Composite:ImageSize"] = w + " " + h;
    EXPECT_EQ(before.count("Photoshop:PhotoshopThumbnail"), 1u);
    expected.erase("Photoshop:PhotoshopThumbnail");
    for (const char* tag : {"IFD1:ThumbnailOffset", "IFD1:ThumbnailLength", "IFD1:ThumbnailImage"}) {
        EXPECT_EQ(after.count(tag), 1u) << tag;
        expected.erase(tag);
        after.erase(tag);
    }
    EXPECT_EQ(after, expected);
    EXPECT_EQ(after["JFIF:XResolution"], "300");
    EXPECT_EQ(after["File:Comment"], "ferry\ndusk");

    // The maker note, whose inner offsets point into the block, is where it was, byte for byte.
    const ByteSpan note = camera_exif_maker_note(exif);
    const Bytes payload = camera_exif_payload(exif);
    EXPECT_EQ(exiftool_binary(dir.file("saved.jpg"), "MakerNotes"),
              Bytes(payload.begin() + note.offset, payload.begin() + note.offset + note.size));

    // The thumbnail shows the saved photo, upright: its corners have the photo's colours.
    ASSERT_GT(thumbnail.width, 0);
    EXPECT_EQ(std::max(thumbnail.width, thumbnail.height),
              std::min(160, std::max(photo.width(), photo.height())));
    EXPECT_EQ(thumbnail.width > thumbnail.height, photo.width() > photo.height());
    const std::array<int, 4> corners[] = {
        {0, 0, 0, 0}, {thumbnail.width - 1, thumbnail.height - 1, photo.width() - 1, photo.height() - 1}};
    for (const auto [tx, ty, px, py] : corners)
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(thumbnail.pixel(tx, ty)[channel], photo.pixel(px, py) >> (16 - 8 * channel) & 0xFF,
                        40)
                << "corner " << tx << "," << ty << " channel " << channel;
}

INSTANTIATE_TEST_SUITE_P(Cameras, SavedMetadata,
                         testing::Values(CameraPhoto{1, false, false}, CameraPhoto{3, true, true},
                                         CameraPhoto{6, false, false}, CameraPhoto{8, true, true}),
                         [](const auto& info) {
                             return "orientation_" + std::to_string(info.param.orientation) +
                                    (info.param.big_endian ? "_big_endian" : "_little_endian") +
                                    (info.param.xmp_as_elements ? "_xmp_elements" : "_xmp_attributes");
                         });

// A block that fits its segment with the camera's small thumbnail but not with the
// saved photo's: the thumbnail goes, every other tag stays.
TEST_F(SavedMetadata, ExifThatOutgrowsItsSegmentLosesOnlyItsThumbnail)
{
    CameraExifSettings exif;
    exif.thumbnail = flat_thumbnail(8, 8, 200);
    exif.maker_note_padding = 0;
    const std::size_t base = camera_exif_payload(exif).size();
    exif.maker_note_padding = kMaxSegmentPayload - 200 - base;
    TestImage busy = colour_image(kWidth, kHeight);
    for (std::size_t i = 0; i < busy.samples.size(); ++i)
        busy.samples[i] ^= static_cast<std::uint8_t>(i * 97);
    Bitmap32 photo;
    open_and_save(camera_file({6, false, false}, exif, busy), photo);

    Tags before = exiftool_tags(dir.file("camera.jpg"));
    Tags after = exiftool_tags(dir.file("saved.jpg"));
    EXPECT_EQ(after.count("IFD1:ThumbnailImage"), 0u);
    EXPECT_EQ(after["IFD0:Orientation"], "1");
    EXPECT_EQ(after["GPS:GPSLatitude"], before["GPS:GPSLatitude"]);
    EXPECT_EQ(after["ExifIFD:DateTimeOriginal"], "2023:07:14 18:03:22");
    EXPECT_EQ(exiftool_binary(dir.file("saved.jpg"), "MakerNotes"),
              exiftool_binary(dir.file("camera.jpg"), "MakerNotes"));
}

// Damaged EXIF blocks: the photo still opens and saves, no reader finds an
// orientation other than 1 in the saved file, the old thumbnail never comes back, and
// saving the saved photo again leaves the block as it is (it must not grow each time).
TEST_F(SavedMetadata, DamagedExifNeverCostsThePhoto)
{
    CameraExifSettings settings;
    settings.orientation = 6;
    settings.thumbnail = old_thumbnail;
    const Bytes good = camera_exif_payload(settings);
    auto at32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    auto get32 = [&good](std::size_t at) {
        return static_cast<std::uint32_t>(good[at] | good[at + 1] << 8 | good[at + 2] << 16 |
                                          good[at + 3] << 24);
    };
    // Little-endian, payload offsets: IFD0 at 14 with 12 entries, the EXIF IFD link its
    // 11th, IFD0's next link after them; the maker note is the EXIF IFD's 10th entry.
    const std::size_t ifd0 = 14, exif_link = ifd0 + 2 + 10 * 12 + 8, next_link = ifd0 + 2 + 12 * 12;
    const std::uint32_t ifd1 = get32(next_link);
    const std::size_t maker_note = 6 + get32(exif_link) + 2 + 9 * 12;
    const std::uint32_t over_thumbnail =
        static_cast<std::uint32_t>(good.size() - 6 - get32(maker_note + 8) - 5);
    const auto thumbnail_at = [&](Bytes& b, std::uint32_t offset, std::uint32_t length) {
        at32(b, 6 + ifd1 + 2 + 4 * 12 + 8, offset), at32(b, 6 + ifd1 + 2 + 5 * 12 + 8, length);
    };
    const std::map<std::string, std::function<void(Bytes&)>> damages = {
        {"cut inside IFD0", [](Bytes& b) { b.resize(14 + 2 + 12 * 3 + 5); }},
        {"EXIF IFD link far outside", [&](Bytes& b) { at32(b, exif_link, 0xFFFFFFF0u); }},
        {"IFD1 is IFD0 again", [&](Bytes& b) { at32(b, next_link, 8); }},
        {"IFD1 inside the EXIF IFD",
         [&](Bytes& b) { at32(b, next_link, b[exif_link] | b[exif_link + 1] << 8); }},
        {"thumbnail beyond the end", [&](Bytes& b) { at32(b, 6 + ifd1 + 2 + 4 * 12 + 8, 0xFFFFFF00u); }},
        {"more entries than bytes", [](Bytes& b) { b[ifd0] = b[ifd0 + 1] = 0xFF; }},
        {"IFD0 outside", [&](Bytes& b) { at32(b, 10, 0x7FFFFFFFu); }},
        {"IFD0 inside the TIFF header", [&](Bytes& b) { at32(b, 10, 5); }},
        {"maker note running into the thumbnail", [&](Bytes& b) { at32(b, maker_note + 4, over_thumbnail); }},
        {"no byte order", [](Bytes& b) { b[6] = b[7] = 'X'; }},
        {"thumbnail over IFD1's first entry", [&](Bytes& b) { thumbnail_at(b, ifd1, 14); }},
        {"thumbnail over an EXIF IFD entry", [&](Bytes& b) { thumbnail_at(b, get32(exif_link) + 2, 12); }},
    };
    // Where the old thumbnail shares bytes with anything else, IFD1 goes rather than those bytes.
    const std::set<std::string> unlinked = {"maker note running into the thumbnail",
                                            "thumbnail over IFD1's first entry",
                                            "thumbnail over an EXIF IFD entry"};
    for (const auto& [name, damage] : damages) {
        SCOPED_TRACE(name);
        Bytes exif = good;
        damage(exif);
        EncodeOptions options;
        options.markers = {app1_marker(exif)};
        Bitmap32 photo, back;
        open_and_save(encode_test_jpeg(quadrant_image(kWidth, kHeight), options), photo);
        const Tags after = exiftool_tags(dir.file("saved.jpg"));
        EXPECT_EQ(after.count("IFD0:Orientation") ? after.at("IFD0:Orientation") : "1", "1");
        EXPECT_NE(exiftool_binary(dir.file("saved.jpg"), "ThumbnailImage"), old_thumbnail);

        PhotoMetadata saved, saved_again;
        ASSERT_TRUE(load_photo(dir.file("saved.jpg"), back, &saved));
        EXPECT_EQ(back.width(), photo.width());
        if (unlinked.count(name)) {
            EXPECT_EQ(after.count("IFD1:ThumbnailLength"), 0u);
        }
        if (name == "maker note running into the thumbnail") {
            const std::size_t note = 6 + get32(maker_note + 8);
            ASSERT_GE(saved.exif.size(), note + over_thumbnail);
            EXPECT_TRUE(std::equal(exif.begin() + note, exif.begin() + note + over_thumbnail,
                                   saved.exif.begin() + note));
        }
        write_photo(photo, dir.file("again.jpg"), saved);
        ASSERT_TRUE(load_photo(dir.file("again.jpg"), back, &saved_again));
        EXPECT_EQ(saved_again.exif, saved.exif);
    }
}

// A packet that fills its segment gives up only the padding its longer width needs,
// and goes when it has too little to give.
TEST(XmpForSavedPhoto, AFullPacketGivesUpJustThePaddingItsNewSizeNeeds)
{
    const auto packet = [](const std::string& width, const std::string& note, std::size_t padding) {
        return std::string("http://ns.adobe.com/xap/1.0/\0", 29) + "<x:xmpmeta exif:PixelXDimension=\"" +
               width + "\" x:note=\"" + note + "\"/>" + std::string(padding, ' ') + "<?xpacket end=\"w\"?>";
    };
    for (const std::size_t padding : {3, 1}) {
        const std::string note(kMaxSegmentPayload - packet("96", "", padding).size(), 'n');
        const std::string full = packet("96", note, padding);
        const Bytes saved = xmp_for_saved_photo(Bytes(full.begin(), full.end()), 1000, 64);
        EXPECT_EQ(std::string(saved.begin(), saved.end()), padding == 1 ? "" : packet("1000", note, 1));
    }
}

}  // namespace
