#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_decoder.h"
#include "photo_files/jpeg_photo.h"
#include "tests/photo_files/jpeg_fixtures.h"
#include "tests/support/file_bytes.h"
#include "tests/support/notification_recorder.h"
#include "tests/support/pixels.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace {

std::uint32_t word(const std::uint8_t* rgb)
{
    return 0xFF000000u | rgb[0] << 16 | rgb[1] << 8 | rgb[2];
}

class LoadPhoto : public testing::Test {
protected:
    TempDir dir;
    Bitmap32 photo;

    std::string save(const std::string& name, const Bytes& bytes)
    {
        write_bytes(dir.file(name), bytes);
        return dir.file(name);
    }
    void fill_with_old_photo(int width, int height) { fill_flat(photo, width, height, 0xFF123456u); }
};

struct ColourCase {
    const char* description;
    EncodeOptions options;
};

void PrintTo(const ColourCase& c, std::ostream* out)
{
    *out << c.description;
}

class ColourLevels : public LoadPhoto, public testing::WithParamInterface<ColourCase> {};

// The loader writes words straight from the decoder; its levels must be exactly
// what a plain RGB decode with the same settings gives, and alpha opaque.
TEST_P(ColourLevels, AreTheDecodersRgbOutputUnchanged)
{
    const Bytes jpeg = encode_test_jpeg(colour_image(61, 37), GetParam().options);
    const TestImage reference = decode_reference(jpeg);
    ASSERT_TRUE(load_photo(save("photo.jpg", jpeg), photo));
    ASSERT_EQ(photo.width(), 61);
    ASSERT_EQ(photo.height(), 37);
    EXPECT_EQ(count_pixels_unlike(photo, [&](int x, int y) { return word(reference.pixel(x, y)); }), 0);
}

EncodeOptions progressive()
{
    EncodeOptions o;
    o.progressive = true;
    return o;
}
EncodeOptions full_chroma()
{
    EncodeOptions o;
    o.sampling = full_chroma_sampling();
    o.quality = 60;
    return o;
}
EncodeOptions rgb_file()
{
    EncodeOptions o;
    o.file_space = JCS_RGB;
    return o;
}

INSTANTIATE_TEST_SUITE_P(Files, ColourLevels,
                         testing::Values(ColourCase{"baseline_420", {}},
                                         ColourCase{"progressive", progressive()},
                                         ColourCase{"full_chroma", full_chroma()},
                                         ColourCase{"rgb_file", rgb_file()}),
                         [](const auto& info) { return std::string(info.param.description); });

TEST_F(LoadPhoto, GrayscaleIsDitheredOntoTheFixedLevelsWithEqualChannels)
{
    const Bytes jpeg = encode_test_jpeg(gray_image(300, 20));
    ASSERT_TRUE(load_photo(save("gray.jpeg", jpeg), photo));
    ASSERT_EQ(photo.width(), 300);
    std::set<int> allowed;
    for (int j = 0; j < 236; ++j) allowed.insert((255 * j + 117) / 235);
    std::set<int> seen;
    const TestImage reference = decode_reference(jpeg);
    int mismatches = 0;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const std::uint32_t p = photo.pixel(x, y);
            const int level = p & 0xFF;
            EXPECT_EQ(p, 0xFF000000u | level << 16 | level << 8 | level);
            EXPECT_TRUE(allowed.count(level)) << level;
            mismatches += level != *reference.pixel(x, y);
            seen.insert(level);
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_LE(seen.size(), 236u);
    EXPECT_GT(seen.size(), 200u);  // the ramp really uses the levels, not a coarse map
}

TEST_F(LoadPhoto, AnEmptyFileIsNoPhotoAndLeavesThePhotoAlone)
{
    fill_with_old_photo(4, 3);
    NotificationRecorder watcher(photo);
    EXPECT_EQ(load_outcome(save("empty.jpg", {}), photo), "empty file");
    EXPECT_EQ(photo.width(), 4);
    EXPECT_EQ(watcher.count("resize") + watcher.count("change"), 0);
}

TEST_F(LoadPhoto, NotifiesTheResizeFirstAndTheFinishedPixelsOnce)
{
    NotificationRecorder watcher(photo);
    ASSERT_TRUE(load_photo(save("a.jpg", encode_test_jpeg(colour_image(16, 16))), photo));
    EXPECT_EQ(watcher.count("resize"), 1);
    EXPECT_EQ(watcher.count("change"), 2);  // one at the resize, one when the pixels are in

    // The same size again: no resize, only the final notification.
    NotificationRecorder again(photo);
    ASSERT_TRUE(load_photo(dir.file("a.jpg"), photo));
    EXPECT_EQ(again.count("resize"), 0);
    EXPECT_EQ(again.count("change"), 1);
}

// A grayscale file whose header claims a second component (its scan still codes
// only the first): a component count without any conversion to RGB.
Bytes with_two_components(Bytes jpeg)
{
    const std::size_t sof = find_marker(jpeg, 0xC0);
    jpeg.at(sof + 3) += 3;  // the segment grows by one component's 3 bytes
    jpeg.at(sof + 9) = 2;
    const Bytes second{2, 0x11, 0};  // id 2, 1 x 1 sampling, quantisation table 0
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(sof + 13), second.begin(), second.end());
    return jpeg;
}

TEST_F(LoadPhoto, FailsForFilesThatAreNoJpegPhotoAndLeavesThePhotoAlone)
{
    fill_with_old_photo(5, 5);
    const Bytes jpeg = encode_test_jpeg(colour_image(8, 8));
    const std::string not_jpeg = save("photo.jpg", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    const std::string png_named = save("photo.png", jpeg);
    const std::string no_extension = save("photo", jpeg);
    const std::string cut_in_header = save("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + 40));
    std::filesystem::create_directory(dir.file("folder.jpg"));
    const Bytes tables_only{0xFF, 0xD8, 0xFF, 0xD9};
    const std::string two_components =
        save("two.jpg", with_two_components(encode_test_jpeg(gray_image(8, 8))));

    NotificationRecorder watcher(photo);
    EXPECT_EQ(load_outcome(not_jpeg, photo), "not a JPEG");
    EXPECT_EQ(load_outcome(png_named, photo),
              "the name does not end in .jpg, .jpeg, .heic, .heif, .hif or .avif");
    EXPECT_EQ(load_outcome(no_extension, photo),
              "the name does not end in .jpg, .jpeg, .heic, .heif, .hif or .avif");
    EXPECT_THAT(load_outcome(cut_in_header, photo), testing::StartsWith("decoder error: "));
    EXPECT_EQ(load_outcome(dir.file("missing.jpg"), photo),
              "cannot read the file: No such file or directory");
    EXPECT_EQ(load_outcome(dir.file("folder.jpg"), photo), "cannot read the file: Is a directory");
    EXPECT_EQ(load_outcome(save("tables.jpg", tables_only), photo),
              "decoder error: JPEG datastream contains no image");
    EXPECT_EQ(load_outcome(two_components, photo), "decoder error: Unsupported color conversion request");
    EXPECT_EQ(photo.width(), 5);
    EXPECT_EQ(photo.pixel(4, 4), 0xFF123456u);
    EXPECT_EQ(watcher.count("change") + watcher.count("resize"), 0);

    EXPECT_TRUE(load_photo(save("UPPER.JPEG", jpeg), photo));
}

TEST_F(LoadPhoto, FileCutOffInsideItsImageDataLoadsAtFullSize)
{
    for (bool progressive_file : {false, true}) {
        EncodeOptions options;
        options.progressive = progressive_file;
        const Bytes jpeg = encode_test_jpeg(colour_image(120, 90), options);
        const std::size_t cut = progressive_file ? jpeg.size() / 3 : jpeg.size() / 2;
        ASSERT_GT(cut, find_marker(jpeg, 0xDA));  // past the first scan's start: inside the image data
        EXPECT_TRUE(load_photo(save("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + cut)), photo))
            << progressive_file;
        EXPECT_EQ(photo.width(), 120);
        EXPECT_EQ(photo.height(), 90);
        EXPECT_EQ(photo.pixel(0, 0) >> 24, 0xFFu);
        EXPECT_EQ(photo.pixel(119, 89) >> 24, 0xFFu);
    }
}

// Writes a new size into the file's SOF header; the data after it stays as it was.
Bytes with_header_size(Bytes jpeg, int width, int height)
{
    const std::size_t sof = find_marker(jpeg, 0xC0);
    jpeg.at(sof + 5) = static_cast<std::uint8_t>(height >> 8);
    jpeg.at(sof + 6) = static_cast<std::uint8_t>(height);
    jpeg.at(sof + 7) = static_cast<std::uint8_t>(width >> 8);
    jpeg.at(sof + 8) = static_cast<std::uint8_t>(width);
    return jpeg;
}

TEST_F(LoadPhoto, HugeHeaderIsRefusedBeforeAnyStorageIsTaken)
{
    fill_with_old_photo(3, 3);
    NotificationRecorder watcher(photo);
    const Bytes small = encode_test_jpeg(colour_image(16, 16));
    // 65500 x 65500 would be 17 GB of words; 20001 x 20000 is just above the limit.
    EXPECT_EQ(load_outcome(save("huge.jpg", with_header_size(small, 65500, 65500)), photo),
              "too large to open: 65500 x 65500 pixels");
    EXPECT_EQ(load_outcome(save("limit.jpg", with_header_size(small, 20001, 20000)), photo),
              "too large to open: 20001 x 20000 pixels");
    EXPECT_EQ(photo.width(), 3);
    EXPECT_EQ(photo.pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(watcher.count("resize"), 0);
    static_assert(kMaxPhotoPixels >= 400'000'000 && kMaxPhotoPixels <= 2'147'483'647);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

// A photo within the limit whose storage the system will not give: a load failure,
// not a crash. The address-space limit makes the allocation fail for real.
TEST_F(LoadPhoto, StorageThatCannotBeHadIsALoadFailure)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
    const std::string path =
        save("big.jpg", with_header_size(encode_test_jpeg(colour_image(16, 16)), 16000, 16000));
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    ASSERT_GT(pages, 0u);
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old_limit), 0);
    rlimit tight = old_limit;
    // Room for the decoder, but not for 16000 x 16000 words (1 GB).
    tight.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (256u << 20);
    fill_with_old_photo(3, 3);
    LoadOutcome failure;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    const bool loaded = load_photo(path, photo, nullptr, &failure);
    setrlimit(RLIMIT_AS, &old_limit);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(load_failure_text(failure), "not enough memory for a photo of 16000 x 16000");
    EXPECT_EQ(photo.width(), 0);  // the old photo is gone and nothing half-made is shown
    EXPECT_EQ(photo.height(), 0);
}

TEST_F(LoadPhoto, ProgressiveFileWithAbsurdlyManyScansIsRefusedButRealOnesLoad)
{
    const TestImage image = gray_image(64, 64);
    EncodeOptions hundred;
    hundred.scans = many_scan_script(33, 3);
    const Bytes real = encode_test_jpeg(image, hundred);
    ASSERT_EQ(count_scans(real), 100);
    EXPECT_TRUE(load_photo(save("hundred_scans.jpg", real), photo));
    EXPECT_EQ(photo.width(), 64);

    EncodeOptions bomb;
    bomb.scans = many_scan_script(63, 11);
    const Bytes bomb_file = encode_test_jpeg(image, bomb);
    ASSERT_GT(count_scans(bomb_file), kMaxJpegScans);
    EXPECT_EQ(load_outcome(save("scan_bomb.jpg", bomb_file), photo),
              "more progressive scans than any real photo has");
}

TEST_F(LoadPhoto, FailureAfterTheResizeLeavesNoPixelsOfTheOldPhoto)
{
    EncodeOptions options;
    options.progressive = true;
    Bytes jpeg = encode_test_jpeg(colour_image(24, 24), options);
    // Make the second scan's spectral range run backwards: a hard error while the
    // decoder takes in the scans, after the photo has been given its size.
    std::size_t second = find_marker(jpeg, 0xDA);
    second = find_marker(Bytes(jpeg.begin() + second + 2, jpeg.end()), 0xDA) + second + 2;
    const std::size_t components = jpeg.at(second + 4);
    const std::size_t spectral = second + 5 + 2 * components;
    jpeg.at(spectral) = 5;
    jpeg.at(spectral + 1) = 2;

    fill_with_old_photo(24, 24);
    EXPECT_THAT(load_outcome(save("bad_progression.jpg", jpeg), photo),
                testing::StartsWith("decoder error: Invalid progressive parameters"));
    EXPECT_EQ(photo.width(), 24);
    EXPECT_TRUE(every_pixel_is(photo, 0));
}

TEST_F(LoadPhoto, CommittedFixturesLoadOrFailAsTheirNamesSay)
{
    const std::string data = TINTELO_TEST_DATA;
    LoadOutcome outcome;
    EXPECT_TRUE(load_photo(data + "/truncated_in_image_data.jpg", photo, nullptr, &outcome));
    EXPECT_EQ(photo.width(), 48);
    EXPECT_EQ(photo.height(), 32);
    EXPECT_TRUE(outcome.data_ends_early);
    EXPECT_EQ(load_outcome(data + "/text_named_jpg.jpg", photo), "not a JPEG");
}

struct CmykCase {
    const char* description;
    J_COLOR_SPACE file_space;
    bool adobe_marker;
    std::uint8_t stored[4];
    std::uint8_t red, green, blue;
};

void PrintTo(const CmykCase& c, std::ostream* out)
{
    *out << c.description;
}

class CmykFiles : public LoadPhoto, public testing::WithParamInterface<CmykCase> {};

TEST_P(CmykFiles, AreConvertedToRgb)
{
    const CmykCase& c = GetParam();
    EncodeOptions options;
    options.file_space = c.file_space;
    options.adobe_marker = c.adobe_marker;
    options.quality = 100;
    ASSERT_TRUE(
        load_photo(save("cmyk.jpg", encode_test_jpeg(flat_cmyk_image(16, 16, c.stored), options)), photo));
    const std::uint32_t p = photo.pixel(8, 8);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(p >> 16 & 0xFF), c.red, 3);
    EXPECT_NEAR(static_cast<int>(p >> 8 & 0xFF), c.green, 3);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), c.blue, 3);
}

// Adobe files store inverted inks: stored 255 = no ink. Cyan-free, half magenta, full yellow, K 200 stored.
INSTANTIATE_TEST_SUITE_P(
    Files, CmykFiles,
    testing::Values(CmykCase{"adobe_cmyk", JCS_CMYK, true, {255, 128, 0, 200}, 200, 100, 0},
                    CmykCase{"adobe_ycck", JCS_YCCK, true, {255, 128, 0, 200}, 200, 100, 0},
                    CmykCase{"plain_cmyk", JCS_CMYK, false, {0, 127, 255, 55}, 200, 100, 0}),
    [](const auto& info) { return std::string(info.param.description); });

TEST_F(LoadPhoto, EmbeddedIccProfileIsReturnedAndAbsenceClearsIt)
{
    IccProfile profile(150000);  // needs three APP2 markers
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 31 + i / 7);
    EncodeOptions options;
    options.icc_profile = profile;
    PhotoMetadata loaded;
    loaded.icc_profile = {9, 9};
    ASSERT_TRUE(load_photo(save("icc.jpg", encode_test_jpeg(colour_image(16, 16), options)), photo, &loaded));
    EXPECT_EQ(loaded.icc_profile, profile);

    ASSERT_TRUE(load_photo(save("plain.jpg", encode_test_jpeg(colour_image(16, 16))), photo, &loaded));
    EXPECT_TRUE(loaded.icc_profile.empty());
    loaded.icc_profile = {1};
    EXPECT_FALSE(load_photo(dir.file("missing.jpg"), photo, &loaded));
    EXPECT_TRUE(loaded.icc_profile.empty());
}

}  // namespace

// A stream cut inside its image data loads, and says so: in the first scan the rows
// below the iMCU row being read are grey (DC 0 decodes to level 128); in a later scan of
// a progressive photo no row is missing, only detail; without only its end marker the
// photo is whole.
TEST_F(LoadPhoto, AStreamCutShortLoadsAndSaysHowManyRowsAreGrey)
{
    const auto load_cut = [&](const Bytes& jpeg, std::size_t keep, LoadOutcome& outcome) {
        return load_photo(save("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + keep)), photo, nullptr,
                          &outcome);
    };
    const Bytes baseline = encode_test_jpeg(colour_image(64, 64));  // 4:2:0, iMCU rows of 16
    const std::size_t data = find_marker(baseline, 0xDA);
    LoadOutcome outcome;
    ASSERT_TRUE(load_cut(baseline, data + (baseline.size() - data) / 2, outcome));
    ASSERT_TRUE(outcome.data_ends_early);
    ASSERT_GT(outcome.grey_rows, 0);
    ASSERT_LT(outcome.grey_rows, 64);
    EXPECT_EQ(outcome.grey_rows % 16, 0);
    const int first_grey = 64 - outcome.grey_rows;
    // The first grey row takes some colour from the row above: the chroma is upsampled
    // across the two.
    for (int x = 0; x < 64; ++x) {
        EXPECT_EQ(photo.pixel(x, first_grey + 1), 0xFF808080u) << x;
        EXPECT_EQ(photo.pixel(x, 63), 0xFF808080u) << x;
    }
    int grey_above = 0;
    for (int x = 0; x < 64; ++x) grey_above += photo.pixel(x, first_grey - 1) == 0xFF808080u;
    EXPECT_LT(grey_above, 64);
    EXPECT_EQ(early_end_text(outcome),
              "the photo's data ends early: " + std::to_string(outcome.grey_rows) + " rows are grey");

    const int grey_when_cut = outcome.grey_rows;

    // An end marker inside the data ends it as early as a cut there.
    Bytes ended = baseline;
    const std::size_t middle = data + (baseline.size() - data) / 2;
    ended.insert(ended.begin() + static_cast<std::ptrdiff_t>(middle), {0xFF, 0xD9});
    ASSERT_TRUE(load_photo(save("ended.jpg", ended), photo, nullptr, &outcome));
    EXPECT_TRUE(outcome.data_ends_early);
    EXPECT_EQ(outcome.grey_rows, grey_when_cut);

    // A restart segment cut short is damage the decoder recovers from at the next one.
    EncodeOptions restarts;
    restarts.restart_in_rows = 1;
    Bytes damaged = encode_test_jpeg(colour_image(64, 64), restarts);
    const auto first_restart = static_cast<std::ptrdiff_t>(find_marker(damaged, 0xD0));
    const auto second_restart = static_cast<std::ptrdiff_t>(find_marker(damaged, 0xD1));
    damaged.erase(damaged.begin() + first_restart + 8, damaged.begin() + second_restart);
    ASSERT_TRUE(load_photo(save("damaged.jpg", damaged), photo, nullptr, &outcome));
    EXPECT_FALSE(outcome.data_ends_early);
    EXPECT_NE(photo.pixel(63, 63), 0xFF808080u);

    ASSERT_TRUE(load_cut(baseline, baseline.size() - 2, outcome));  // only the end marker gone
    EXPECT_FALSE(outcome.data_ends_early);
    EXPECT_EQ(early_end_text(outcome), "");

    EncodeOptions progressive;
    progressive.progressive = true;
    const Bytes layered = encode_test_jpeg(colour_image(64, 64), progressive);
    const std::size_t first_scan = find_marker(layered, 0xDA);
    const std::size_t second_scan =
        first_scan + 2 + find_marker(Bytes(layered.begin() + first_scan + 2, layered.end()), 0xDA);
    // In the first scan (the DC levels of every component) whole rows are lost ...
    ASSERT_TRUE(load_cut(layered, (first_scan + second_scan) / 2, outcome));
    EXPECT_TRUE(outcome.data_ends_early);
    EXPECT_GT(outcome.grey_rows, 0);
    // ... in a later one only detail.
    ASSERT_TRUE(load_cut(layered, (second_scan + layered.size()) / 2, outcome));
    EXPECT_TRUE(outcome.data_ends_early);
    EXPECT_EQ(outcome.grey_rows, 0);
    EXPECT_EQ(early_end_text(outcome), "the photo's data ends early");
    outcome.grey_rows = 1;
    EXPECT_EQ(early_end_text(outcome), "the photo's data ends early: 1 row is grey");
}
