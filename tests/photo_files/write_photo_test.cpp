#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/bitmap32.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/jpeg_photo.h"
#include "tests/photo_files/jpeg_fixtures.h"
#include "tests/support/file_bytes.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace {

void fill_colour(Bitmap32& photo, int width, int height, std::uint8_t alpha = 0xFF)
{
    const TestImage image = colour_image(width, height);
    fill_photo(photo, width, height, [&](int x, int y) {
        const std::uint8_t* p = image.pixel(x, y);
        return static_cast<std::uint32_t>(alpha) << 24 | p[0] << 16 | p[1] << 8 | p[2];
    });
}

// The encoder settings spelled out on a plain 24-bit RGB copy, as the bare library takes them.
Bytes reference_encode(const Bitmap32& photo)
{
    TestImage rgb{photo.width(), photo.height(), 3, {}};
    for (std::size_t k = 0; k < photo.pixel_count(); ++k) {
        const std::uint32_t p = photo.pixels()[k];
        rgb.samples.insert(rgb.samples.end(),
                           {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                            static_cast<std::uint8_t>(p)});
    }
    EncodeOptions options;
    options.quality = 95;
    options.float_dct = true;
    return encode_test_jpeg(rgb, options);
}

class WritePhoto : public testing::Test {
protected:
    TempDir dir;
    Bitmap32 photo;
};

TEST_F(WritePhoto, FileIsWhatTheLibraryMakesOfTheRgbLevelsWithTheFixedSettings)
{
    fill_colour(photo, 83, 45);
    write_photo(photo, dir.file("out.jpg"));
    const Bytes written = read_bytes(dir.file("out.jpg"));
    EXPECT_EQ(written, reference_encode(photo));

    // Baseline, sequential, 2 x 2 luma sampling, JFIF, and nothing else of metadata.
    BareDecompressor reader;
    jpeg_decompress_struct& cinfo = reader.cinfo;
    reader.run([&] {
        jpeg_mem_src(&cinfo, written.data(), static_cast<unsigned long>(written.size()));
        jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
        for (int m = 1; m < 16; ++m) jpeg_save_markers(&cinfo, JPEG_APP0 + m, 0xFFFF);
        jpeg_read_header(&cinfo, TRUE);
    });
    EXPECT_FALSE(cinfo.progressive_mode);
    EXPECT_FALSE(cinfo.arith_code);
    EXPECT_EQ(cinfo.jpeg_color_space, JCS_YCbCr);
    EXPECT_EQ(cinfo.comp_info[0].h_samp_factor, 2);
    EXPECT_EQ(cinfo.comp_info[0].v_samp_factor, 2);
    EXPECT_TRUE(cinfo.saw_JFIF_marker);
    EXPECT_EQ(cinfo.marker_list, nullptr);
    EXPECT_NE(find_marker(written, 0xC0), std::string::npos);  // SOF0: baseline
}

TEST_F(WritePhoto, AlphaNeverReachesTheFile)
{
    Bitmap32 transparent;
    fill_colour(photo, 20, 20, 0xFF);
    fill_colour(transparent, 20, 20, 0x00);
    EXPECT_EQ(encode_jpeg_photo(photo), encode_jpeg_photo(transparent));
}

TEST_F(WritePhoto, SavedPhotoReadsBackWithTheSameSizeWithinJpegLoss)
{
    // Smooth shading, as in photos: what quality 95 keeps well even with chroma halved.
    fill_photo(photo, 97, 64,
               [](int x, int y) { return opaque_rgb(x * 255 / 96, y * 255 / 63, (x + y) * 255 / 159); });
    write_photo(photo, dir.file("round.jpg"));
    Bitmap32 back;
    ASSERT_TRUE(load_photo(dir.file("round.jpg"), back));
    ASSERT_EQ(back.width(), 97);
    ASSERT_EQ(back.height(), 64);
    long total = 0;
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 97; ++x)
            for (int shift : {0, 8, 16}) {
                const int d = std::abs(static_cast<int>(photo.pixel(x, y) >> shift & 0xFF) -
                                       static_cast<int>(back.pixel(x, y) >> shift & 0xFF));
                total += d;
                worst = std::max(worst, d);
            }
    EXPECT_LT(static_cast<double>(total) / (97 * 64 * 3), 1.5);
    EXPECT_LE(worst, 8);
}

TEST_F(WritePhoto, IccProfileGoesIntoTheFileAndSurvivesAReload)
{
    IccProfile profile(70000);
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i % 251);
    fill_colour(photo, 16, 16);
    PhotoMetadata with_profile;
    with_profile.icc_profile = profile;
    write_photo(photo, dir.file("icc.jpg"), with_profile);
    PhotoMetadata loaded;
    Bitmap32 back;
    ASSERT_TRUE(load_photo(dir.file("icc.jpg"), back, &loaded));
    EXPECT_EQ(loaded.icc_profile, profile);
}

// The print density is kept in either unit the JFIF header has; another unit is not written.
TEST_F(WritePhoto, JfifDensityIsKeptPerInchOrPerCentimetre)
{
    fill_colour(photo, 16, 16);
    const std::pair<JfifDensity, JfifDensity> written_and_read[] = {
        {{1, 300, 150}, {1, 300, 150}}, {{2, 118, 59}, {2, 118, 59}}, {{3, 118, 59}, {0, 1, 1}}};
    for (const auto& [written, read] : written_and_read) {
        PhotoMetadata metadata, loaded;
        metadata.density = written;
        write_photo(photo, dir.file("density.jpg"), metadata);
        Bitmap32 back;
        ASSERT_TRUE(load_photo(dir.file("density.jpg"), back, &loaded));
        EXPECT_EQ(loaded.density, read) << int{written.unit};
    }
}

TEST_F(WritePhoto, EmptyPhotoGivesAnEmptyFileInPlaceOfTheOldOne)
{
    write_bytes(dir.file("old.jpg"), {1, 2, 3});
    write_photo(photo, dir.file("old.jpg"));
    EXPECT_TRUE(read_bytes(dir.file("old.jpg")).empty());
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST_F(WritePhoto, ReplacedFileKeepsItsPermissionsAndALinkStaysALink)
{
    fill_colour(photo, 8, 8);
    write_bytes(dir.file("kept.jpg"), {1});
    ASSERT_EQ(chmod(dir.file("kept.jpg").c_str(), 0640), 0);
    write_photo(photo, dir.file("kept.jpg"));
    struct stat info {};
    ASSERT_EQ(stat(dir.file("kept.jpg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    ASSERT_EQ(symlink("kept.jpg", dir.file("link.jpg").c_str()), 0);
    write_photo(photo, dir.file("link.jpg"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.jpg")));
    EXPECT_EQ(read_bytes(dir.file("kept.jpg")), encode_jpeg_photo(photo));
}

TEST_F(WritePhoto, NewFileGetsTheUsualPermissions)
{
    fill_colour(photo, 8, 8);
    const mode_t old_mask = umask(022);
    write_photo(photo, dir.file("new.jpg"));
    umask(old_mask);
    struct stat info {};
    ASSERT_EQ(stat(dir.file("new.jpg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(WritePhoto, FileThatCannotBeCreatedIsReportedWithItsPath)
{
    fill_colour(photo, 8, 8);
    write_bytes(dir.file("plain_file"), {1});
    const std::string impossible = dir.file("plain_file/photo.jpg");
    try {
        write_photo(photo, impossible);
        FAIL() << "no error";
    } catch (const EPhotoWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + impossible);
    }
    std::filesystem::create_directory(dir.file("album.jpg"));
    EXPECT_THROW(write_photo(photo, dir.file("album.jpg")), EPhotoWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("album.jpg")));
    EXPECT_EQ(dir.entries().size(), 2u);
}

TEST_F(WritePhoto, NameAsLongAsTheFileSystemAllowsStillSaves)
{
    fill_colour(photo, 8, 8);
    const std::string name = std::string(251, 'n') + ".jpg";  // 255 bytes, the usual limit
    write_photo(photo, dir.file(name));
    EXPECT_EQ(read_bytes(dir.file(name)), encode_jpeg_photo(photo));
    EXPECT_EQ(dir.entries().size(), 1u);
}

// A save that fails half-way must leave the existing file exactly as it was and
// no temporary file behind. The file-size limit makes the write fail after the
// temporary file was created, whoever runs the tests (root included).
TEST_F(WritePhoto, FailingWriteLeavesTheExistingFileIntactAndNoTemporaryFile)
{
    const Bytes original = encode_test_jpeg(colour_image(64, 64));
    // The file is written as it is encoded: a small one fails at its end, one of
    // noise (far more than a write buffer) while the encoder is still at work.
    Bitmap32 noise;
    std::uint32_t state = 1;
    fill_photo(noise, 900, 600,
               [&](int, int) { return 0xFF000000u | ((state = state * 1664525u + 1013904223u) >> 8); });
    fill_colour(photo, 300, 200);
    for (const Bitmap32* saved : {&photo, &noise}) {
        write_bytes(dir.file("keep.jpg"), original);
        ASSERT_GT(encode_jpeg_photo(*saved).size(), saved == &noise ? 512u * 1024 : 4096u);

        rlimit old_limit{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
        const auto old_handler = signal(SIGXFSZ, SIG_IGN);
        rlimit small = old_limit;
        small.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        std::string message;
        try {
            write_photo(*saved, dir.file("keep.jpg"));
        } catch (const EPhotoWriteError& e) {
            message = e.what();
        }
        setrlimit(RLIMIT_FSIZE, &old_limit);
        signal(SIGXFSZ, old_handler);

        EXPECT_EQ(message.rfind("Cannot write file " + dir.file("keep.jpg") + ": ", 0), 0u) << message;
        EXPECT_EQ(read_bytes(dir.file("keep.jpg")), original);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.jpg"});
    }
}

// A photo libjpeg cannot encode (wider than its 65,500-pixel limit): the save says
// what happened, and the file it would have replaced stays as it was.
TEST_F(WritePhoto, PhotoTheEncoderRefusesIsReportedAndLeavesTheOldFile)
{
    const Bytes original{0xFF, 0xD8, 1, 2, 3};
    write_bytes(dir.file("keep.jpg"), original);
    fill_flat(photo, 65501, 1, 0xFF808080u);
    EXPECT_THAT([&] { write_photo(photo, dir.file("keep.jpg")); },
                testing::ThrowsMessage<EPhotoWriteError>(testing::StartsWith(
                    "Cannot encode a photo of 65501 x 1 pixels: Maximum supported image dimension")));
    EXPECT_EQ(read_bytes(dir.file("keep.jpg")), original);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.jpg"});
}

// A folder the user may not write to: the save fails with the path and the old file stays.
// Permission bits do not stop root, so as root the save runs in a child that gives up root.
TEST_F(WritePhoto, ReadOnlyFolderLeavesTheExistingFileIntact)
{
    const Bytes original{0xFF, 0xD8, 1, 2, 3};
    write_bytes(dir.file("keep.jpg"), original);
    fill_colour(photo, 32, 32);
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        try {
            write_photo(photo, dir.file("keep.jpg"));
        } catch (const EPhotoWriteError& e) {
            _exit(std::string(e.what()) == "Cannot create file " + dir.file("keep.jpg") ? 0 : 2);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 2: wrong text, 3: could not give up root";
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(read_bytes(dir.file("keep.jpg")), original);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.jpg"});
}

}  // namespace
