#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "engine/row_sink.h"
#include "photo_files/exif_orientation.h"
#include "photo_files/heif_decoder.h"
#include "photo_files/jpeg_photo.h"
#include "tests/photo_files/heif_fixtures.h"
#include "tests/support/file_bytes.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace {

int level(std::uint32_t word, int channel)
{
    return static_cast<int>(word >> (16 - 8 * channel) & 0xFF);
}

// The largest difference of any channel of any pixel.
int largest_difference(const Bitmap32& a, const Bitmap32& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(level(a.pixel(x, y), c) - level(b.pixel(x, y), c)));
    return largest;
}

class CountingRowSink : public RowSink {
public:
    void rows_final(const Bitmap32&, int first, int end) override { told += end - first; }
    void rows_ended() override { ended = true; }
    int told = 0;
    bool ended = false;
};

class HeifPhoto : public testing::Test {
protected:
    TempDir dir;
    Bitmap32 photo;
    PhotoMetadata metadata;
    LoadOutcome outcome;

    bool load(const std::string& path) { return load_photo(path, photo, &metadata, &outcome); }
};

// Smooth shading that a codec keeps within a few levels.
void fill_shading(Bitmap32& source, int width, int height)
{
    fill_photo(source, width, height, [&](int x, int y) {
        return opaque_rgb(40 + 160 * x / width, 60 + 120 * y / height,
                          200 - 100 * (x + y) / (width + height));
    });
}

TEST_F(HeifPhoto, HeicAndAvifOpenWithTheirPixelsWithinTheCodecsLoss)
{
    Bitmap32 source;
    fill_shading(source, 96, 64);
    write_png(dir.file("source.png"), source);
    for (const std::string name : {"phone.HEIC", "phone.hif", "phone.avif", "phone.Heif"}) {
        SCOPED_TRACE(name);
        heif_enc(dir.file("source.png"), dir.file(name), name.ends_with("avif") ? "-q 90 -A" : "-q 90");
        CountingRowSink rows;
        ASSERT_TRUE(load_photo(dir.file(name), photo, nullptr, &outcome, &rows))
            << load_failure_text(outcome);
        ASSERT_EQ(photo.width(), 96);
        ASSERT_EQ(photo.height(), 64);
        EXPECT_LE(largest_difference(photo, source), 8);
        EXPECT_EQ(std::count_if(photo.pixels(), photo.pixels() + photo.pixel_count(),
                                [](std::uint32_t word) { return word >> 24 != 0xFF; }),
                  0);
        EXPECT_EQ(rows.told, 64);
        EXPECT_TRUE(rows.ended);
    }
}

// Quadrants of four colours, and where each lands after each of the eight orientations:
// the colours of the upright photo's top-left, top-right, bottom-left and bottom-right.
TEST_F(HeifPhoto, ContainerTurnsAndMirrorsLeaveThePhotoUpright)
{
    const std::uint32_t red = opaque_rgb(220, 30, 30), green = opaque_rgb(30, 200, 40);
    const std::uint32_t blue = opaque_rgb(30, 40, 210), white = opaque_rgb(235, 235, 235);
    Bitmap32 source;
    fill_photo(source, 64, 32,
               [&](int x, int y) { return y < 16 ? (x < 32 ? red : green) : (x < 32 ? blue : white); });
    const std::array<std::array<std::uint32_t, 4>, 9> corners{{{},
                                                               {red, green, blue, white},
                                                               {green, red, white, blue},
                                                               {white, blue, green, red},
                                                               {blue, white, red, green},
                                                               {red, blue, green, white},
                                                               {blue, red, white, green},
                                                               {white, green, blue, red},
                                                               {green, white, red, blue}}};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::string path = dir.file("turned" + std::to_string(orientation) + ".heic");
        HeicFeatures turned;
        turned.orientation = orientation;
        encode_heic(source, turned, path);
        ASSERT_TRUE(load(path)) << load_failure_text(outcome);
        const bool swapped = orientation >= 5;
        ASSERT_EQ(photo.width(), swapped ? 32 : 64);
        ASSERT_EQ(photo.height(), swapped ? 64 : 32);
        const int w = photo.width(), h = photo.height();
        const std::array<std::uint32_t, 4> seen{photo.pixel(w / 4, h / 4), photo.pixel(3 * w / 4, h / 4),
                                                photo.pixel(w / 4, 3 * h / 4),
                                                photo.pixel(3 * w / 4, 3 * h / 4)};
        for (int corner = 0; corner < 4; ++corner)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(level(seen[corner], c), level(corners[orientation][corner], c), 8)
                    << "corner " << corner;
    }
}

TEST_F(HeifPhoto, DeepSamplesAreRoundedToEightBitsAndAlphaIsDropped)
{
    // Lossless 10-bit RGB: 3 rounds up to 1 (truncating gives 0), 1020 to 254 (a shift gives 255).
    const std::vector<std::uint16_t> ten_bit{3, 512, 1020, 1020, 3, 512};
    std::vector<std::uint16_t> samples;
    for (const std::uint16_t value : ten_bit) samples.push_back(static_cast<std::uint16_t>(value << 6));
    write_png(dir.file("deep.png"), 2, 1, 3, 65535, samples);
    heif_enc(dir.file("deep.png"), dir.file("deep.heic"), "-L -p chroma=444 --matrix_coefficients=0 -b 10");
    ASSERT_TRUE(load(dir.file("deep.heic"))) << load_failure_text(outcome);
    EXPECT_EQ(photo.pixel(0, 0), 0xFF0180FEu);
    EXPECT_EQ(photo.pixel(1, 0), 0xFFFE0180u);

    write_png(dir.file("alpha.png"), 2, 1, 4, 255, {200, 100, 50, 128, 200, 100, 50, 0});
    heif_enc(dir.file("alpha.png"), dir.file("alpha.heic"), "-L -p chroma=444 --matrix_coefficients=0");
    ASSERT_TRUE(load(dir.file("alpha.heic"))) << load_failure_text(outcome);
    EXPECT_EQ(photo.pixel(0, 0), 0xFFC86432u);
    EXPECT_EQ(photo.pixel(1, 0), 0xFFC86432u);
}

bool contains(const std::vector<std::uint8_t>& bytes, const std::string& text)
{
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST_F(HeifPhoto, ExifAndXmpAreCarriedIntoTheJpegAndMadeTrue)
{
    Bitmap32 source;
    fill_shading(source, 64, 32);
    write_png(dir.file("source.png"), source);
    ASSERT_TRUE(run_command(
        "convert " + dir.file("source.png") + " " + dir.file("camera.jpg") +
        " && exiftool -q -overwrite_original -Orientation#=6 -ExifImageWidth=999 -Make=Phonemaker "
        "-XMP-dc:Title=Harbour " +
        dir.file("camera.jpg")));
    heif_enc(dir.file("camera.jpg"), dir.file("camera.heic"));
    ASSERT_TRUE(load(dir.file("camera.heic"))) << load_failure_text(outcome);
    // The container holds no turn: the EXIF orientation is not applied to the pixels.
    EXPECT_EQ(photo.width(), 64);
    EXPECT_TRUE(contains(metadata.exif, "Phonemaker"));
    EXPECT_TRUE(contains(metadata.xmp, "Harbour"));

    write_photo(photo, dir.file("saved.jpg"), metadata);
    Bitmap32 saved;
    PhotoMetadata saved_metadata;
    ASSERT_TRUE(load_photo(dir.file("saved.jpg"), saved, &saved_metadata));
    EXPECT_EQ(saved.width(), 64);
    EXPECT_EQ(exif_orientation(saved_metadata.exif.data(), saved_metadata.exif.size()), 1);
    EXPECT_TRUE(contains(saved_metadata.exif, "Phonemaker"));
    EXPECT_TRUE(contains(saved_metadata.xmp, "Harbour"));
    ASSERT_TRUE(run_command("exiftool -s3 -ExifImageWidth " + dir.file("saved.jpg") + " | grep -qx 64"));
}

// EXIF items come in two forms: the count before the TIFF header skips JPEG's "Exif\0\0"
// (as libheif writes the block it is given), or is 0 with "Exif\0\0" still there.
TEST_F(HeifPhoto, ExifItemsWithOrWithoutJpegsHeaderGiveOneJpegBlock)
{
    const std::vector<std::uint8_t> tiff{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> jpeg_block{'E', 'x', 'i', 'f', 0, 0};
    jpeg_block.insert(jpeg_block.end(), tiff.begin(), tiff.end());
    Bitmap32 source;
    fill_shading(source, 16, 16);
    HeicFeatures tagged;
    tagged.exif = jpeg_block;
    encode_heic(source, tagged, dir.file("counted.heic"));
    ASSERT_TRUE(load(dir.file("counted.heic"))) << load_failure_text(outcome);
    EXPECT_EQ(metadata.exif, jpeg_block);

    std::vector<std::uint8_t> file = read_bytes(dir.file("counted.heic"));
    const std::vector<std::uint8_t> counted{0, 0, 0, 6, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M'};
    const auto item = std::search(file.begin(), file.end(), counted.begin(), counted.end());
    ASSERT_NE(item, file.end());
    item[3] = 0;
    write_bytes(dir.file("uncounted.heic"), file);
    ASSERT_TRUE(load(dir.file("uncounted.heic"))) << load_failure_text(outcome);
    EXPECT_EQ(metadata.exif, jpeg_block);
}

// Display P3 to sRGB for linear values: the published conversion matrix.
std::array<double, 3> p3_to_srgb_linear(const std::array<double, 3>& p3)
{
    return {1.2249 * p3[0] - 0.2247 * p3[1], -0.0420 * p3[0] + 1.0419 * p3[1],
            -0.0197 * p3[0] - 0.0786 * p3[1] + 1.0979 * p3[2]};
}

double srgb_decode(double v)
{
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double srgb_encode(double v)
{
    return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

TEST_F(HeifPhoto, AnNclxColourDescriptionBecomesAnEquivalentProfile)
{
    Bitmap32 source;
    fill_shading(source, 16, 16);
    HeicFeatures described;
    described.nclx_primaries = 1;
    encode_heic(source, described, dir.file("srgb.heic"));
    ASSERT_TRUE(load(dir.file("srgb.heic"))) << load_failure_text(outcome);
    EXPECT_TRUE(metadata.icc_profile.empty());

    described.nclx_primaries = 12;
    encode_heic(source, described, dir.file("p3.heic"));
    ASSERT_TRUE(load(dir.file("p3.heic"))) << load_failure_text(outcome);
    ASSERT_FALSE(metadata.icc_profile.empty());
    write_photo(photo, dir.file("p3.jpg"), metadata);
    PhotoMetadata saved;
    ASSERT_TRUE(load_photo(dir.file("p3.jpg"), photo, &saved));
    ASSERT_EQ(saved.icc_profile, metadata.icc_profile);

    cmsHPROFILE p3 = cmsOpenProfileFromMem(saved.icc_profile.data(), saved.icc_profile.size());
    ASSERT_NE(p3, nullptr);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform =
        cmsCreateTransform(p3, TYPE_RGB_DBL, srgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    for (const std::array<double, 3>& p3_colour :
         {std::array<double, 3>{0.8, 0.6, 0.4}, {0.5, 0.5, 0.5}, {0.7, 0.7, 0.9}}) {
        std::array<double, 3> converted{};
        cmsDoTransform(transform, p3_colour.data(), converted.data(), 1);
        const std::array<double, 3> linear = p3_to_srgb_linear(
            {srgb_decode(p3_colour[0]), srgb_decode(p3_colour[1]), srgb_decode(p3_colour[2])});
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(converted[c], srgb_encode(linear[c]), 0.006) << c;
    }
    cmsDeleteTransform(transform);
    cmsCloseProfile(srgb);
    cmsCloseProfile(p3);
}

TEST_F(HeifPhoto, HostileAndDamagedFilesAreRefusedWithTheirReason)
{
    Bitmap32 source;
    fill_shading(source, 64, 64);
    write_png(dir.file("source.png"), source);
    heif_enc(dir.file("source.png"), dir.file("whole.heic"));
    const std::vector<std::uint8_t> whole = read_bytes(dir.file("whole.heic"));

    write_bytes(dir.file("jpeg.heic"), read_bytes(dir.file("source.png")));
    EXPECT_FALSE(load(dir.file("jpeg.heic")));
    EXPECT_EQ(load_failure_text(outcome), "not a HEIF photo");

    write_bytes(dir.file("cut.heic"),
                std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    EXPECT_FALSE(load(dir.file("cut.heic")));
    EXPECT_TRUE(load_failure_text(outcome).starts_with("decoder error: ")) << load_failure_text(outcome);

    // The image's spatial extent claims 30000 x 30000 pixels.
    std::vector<std::uint8_t> huge = whole;
    const std::string ispe = "ispe";
    const auto box = std::search(huge.begin(), huge.end(), ispe.begin(), ispe.end());
    ASSERT_NE(box, huge.end());
    for (int i = 0; i < 2; ++i) {
        auto field = box + 8 + 4 * i;
        field[0] = 0, field[1] = 0, field[2] = 30000 >> 8, field[3] = 30000 & 0xFF;
    }
    write_bytes(dir.file("huge.heic"), huge);
    fill_flat(photo, 3, 3, 0xFF123456u);
    EXPECT_FALSE(load(dir.file("huge.heic")));
    EXPECT_EQ(load_failure_text(outcome), "too large to open: 30000 x 30000 pixels");
    EXPECT_EQ(photo.width(), 3);
    EXPECT_TRUE(metadata.exif.empty() && metadata.icc_profile.empty());
}

class ComposedHeif : public HeifPhoto {
protected:
    Bitmap32 source;
    CodedTile tile;
    Bitmap32 plain;  // the tile's file opened as it is

    void SetUp() override
    {
        fill_shading(source, 64, 48);
        write_png(dir.file("tile.png"), source);
        heif_enc(dir.file("tile.png"), dir.file("tile.heic"));
        tile = coded_tile_of(read_bytes(dir.file("tile.heic")), 64, 48);
        ASSERT_TRUE(load_photo(dir.file("tile.heic"), plain));
    }
    bool load_composed(const ComposedImage& image)
    {
        write_bytes(dir.file("composed.heic"), composed_heif(tile, image));
        return load(dir.file("composed.heic"));
    }
};

TEST_F(ComposedHeif, GridsAndOverlaysOpenAsTheirTilesAndLayersPlaceThem)
{
    ComposedImage grid;
    grid.canvas_width = 128, grid.canvas_height = 48, grid.columns = 2, grid.parts = {2, 2};
    ASSERT_TRUE(load_composed(grid)) << load_failure_text(outcome);
    ASSERT_EQ(photo.width(), 128);
    ASSERT_EQ(photo.height(), 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(photo.pixel(x, y), plain.pixel(x, y)) << x << ", " << y;
            ASSERT_EQ(photo.pixel(x + 64, y), plain.pixel(x, y)) << x << ", " << y;
        }

    // One layer 16 pixels in from the left on a white canvas.
    ComposedImage overlay;
    overlay.type = "iovl";
    overlay.canvas_width = 80, overlay.canvas_height = 48, overlay.parts = {2}, overlay.offsets = {{16, 0}};
    std::fill(std::begin(overlay.background), std::end(overlay.background), 0xFFFF);
    ASSERT_TRUE(load_composed(overlay)) << load_failure_text(outcome);
    ASSERT_EQ(photo.width(), 80);
    for (int y = 0; y < 48; ++y) {
        EXPECT_EQ(photo.pixel(15, y), 0xFFFFFFFFu);
        EXPECT_EQ(photo.pixel(16, y), plain.pixel(0, y));
        EXPECT_EQ(photo.pixel(79, y), plain.pixel(63, y));
    }
}

// Each file claims a small image; libheif would take gigabytes for the canvases, decode
// 256 tiles of 64 megapixels or one of 400, or end the program on the lost layer.
TEST_F(ComposedHeif, CompositionsBeyondTheLimitsAreRefusedBeforeDecoding)
{
    ComposedImage wide_grid;
    wide_grid.canvas_width = 20001, wide_grid.canvas_height = 20000, wide_grid.parts = {2};
    wide_grid.claimed_width = 64, wide_grid.claimed_height = 48;
    ComposedImage wide_overlay = wide_grid;
    wide_overlay.type = "iovl", wide_overlay.offsets = {{0, 0}};
    for (const ComposedImage& image : {wide_grid, wide_overlay}) {
        SCOPED_TRACE(image.type);
        fill_flat(photo, 3, 3, 0xFF123456u);
        EXPECT_FALSE(load_composed(image));
        EXPECT_EQ(load_failure_text(outcome), "too large to open: 20001 x 20000 pixels");
        EXPECT_EQ(photo.width(), 3);
    }

    // A grid claiming 400 megapixels and more, cropped to a few: the claim bounds the work.
    ComposedImage cropped;
    cropped.canvas_width = 64, cropped.canvas_height = 48, cropped.parts = {2};
    cropped.claimed_width = 20001, cropped.claimed_height = 20000;
    cropped.crop_width = 32, cropped.crop_height = 24;
    EXPECT_FALSE(load_composed(cropped));
    EXPECT_EQ(load_failure_text(outcome), "too large to open: 20001 x 20000 pixels");

    // libheif reads the last of two 'meta' boxes, here the second.
    ComposedImage harmless = wide_grid;
    harmless.canvas_width = 64, harmless.canvas_height = 48;
    const std::vector<std::uint8_t> first = composed_heif(tile, harmless),
                                    second = composed_heif(tile, wide_grid);
    constexpr std::size_t kMetaAt = 24;  // after the 'ftyp' box
    const auto meta_end = [&](const std::vector<std::uint8_t>& bytes) {
        return bytes.begin() + kMetaAt +
               (bytes[kMetaAt] << 24 | bytes[kMetaAt + 1] << 16 | bytes[kMetaAt + 2] << 8 |
                bytes[kMetaAt + 3]);
    };
    std::vector<std::uint8_t> two_metas = first;
    two_metas.insert(two_metas.begin() + (meta_end(first) - first.begin()), second.begin() + kMetaAt,
                     meta_end(second));
    write_bytes(dir.file("two_metas.heic"), two_metas);
    EXPECT_FALSE(load(dir.file("two_metas.heic")));
    EXPECT_EQ(load_failure_text(outcome), "too large to open: 20001 x 20000 pixels");

    // 256 tiles, each claiming 8000 x 8000 pixels, on a small canvas.
    ComposedImage many_tiles;
    many_tiles.canvas_width = 64, many_tiles.canvas_height = 48, many_tiles.rows = 16,
    many_tiles.columns = 16;
    many_tiles.parts.assign(256, 2);
    many_tiles.tile_claimed_width = many_tiles.tile_claimed_height = 8000;
    EXPECT_FALSE(load_composed(many_tiles));
    EXPECT_EQ(load_failure_text(outcome), "decoder error: the image's tiles or layers hold too many pixels");
    ComposedImage huge_tile = many_tiles;
    huge_tile.rows = huge_tile.columns = 1, huge_tile.parts = {2};
    huge_tile.tile_claimed_width = huge_tile.tile_claimed_height = 20001;
    EXPECT_FALSE(load_composed(huge_tile));
    EXPECT_EQ(load_failure_text(outcome), "decoder error: the image's tiles or layers hold too many pixels");

    ComposedImage own_tile;
    own_tile.canvas_width = 64, own_tile.canvas_height = 48, own_tile.parts = {1};
    EXPECT_FALSE(load_composed(own_tile));
    EXPECT_EQ(load_failure_text(outcome), "decoder error: the image is among its own tiles or layers");

    // libheif checks a grid's tiles but asserts on an overlay's layer that is no image.
    ComposedImage lost_layer = wide_overlay;
    lost_layer.canvas_width = 64, lost_layer.canvas_height = 48, lost_layer.tile_type = "Exif";
    EXPECT_FALSE(load_composed(lost_layer));
    EXPECT_EQ(load_failure_text(outcome), "decoder error: a tile or layer of the image is missing");

    // A layer list claiming more layers than its box holds: libheif reads on past the box.
    ComposedImage one_layer = wide_overlay;
    one_layer.canvas_width = 64, one_layer.canvas_height = 48;
    std::vector<std::uint8_t> overlong = composed_heif(tile, one_layer);
    const auto dimg = std::search(overlong.begin(), overlong.end(), std::begin("dimg"), std::end("dimg") - 1);
    ASSERT_NE(dimg, overlong.end());
    dimg[7] = 2;  // the count after the 'from' item: one layer more than stored
    write_bytes(dir.file("overlong.heic"), overlong);
    EXPECT_FALSE(load(dir.file("overlong.heic")));
    EXPECT_EQ(load_failure_text(outcome), "decoder error: a tile or layer of the image is missing");
}

}  // namespace
