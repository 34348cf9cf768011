#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "corrector/photo_corrector.h"
#include "engine/database.h"
#include "tests/batch/mallet_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_jpeg/sample_metadata.h"

namespace fs = std::filesystem;

namespace {

constexpr auto npos = std::string::npos;
constexpr std::uint8_t kStartOfFrame[] = {0xFF, 0xC0};
using Byte = std::uint8_t;

class MalletTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fill_curve_database();
        fs::create_directories(folder);
    }

    // A photo with a spread of colours, so every curve changes something.
    fs::path make_photo(const std::string& name, int width, int height)
    {
        Bitmap32 photo;
        fill_photo(photo, width, height, [](int x, int y) {
            return opaque_rgb((x * 7 + y) & 0xFF, (x * 3 + y * 5) & 0xFF, (x + y * 11) & 0xFF);
        });
        const fs::path path = folder / name;
        fs::create_directories(path.parent_path());
        write_photo(photo, path.string());
        return path;
    }

    // A phone's photo turned on its side, with EXIF (maker note, GPS, thumbnail), XMP, IPTC and a comment.
    fs::path make_tagged_photo(const std::string& name)
    {
        CameraExifSettings exif;
        exif.orientation = 6;
        const Bytes grey(8 * 8 * 3, 90);
        exif.thumbnail = write_sample_jpeg(8, 8, 3, grey.data(), {});
        JpegWriteSettings settings;
        settings.markers = {{JPEG_APP0 + 1, camera_exif_payload(exif)},
                            {JPEG_APP0 + 1, xmp_payload(false, 6, 0, 0)},
                            {JPEG_APP0 + 13, iptc_payload()},
                            {JPEG_COM, {'h', 'i'}}};
        Bytes samples;
        for (int i = 0; i < 48 * 32; ++i)
            samples.insert(samples.end(), {Byte(i), Byte(i / 7), Byte(200 - i / 9)});
        const fs::path path = folder / name;
        write_bytes(path.string(), write_sample_jpeg(48, 32, 3, samples.data(), settings));
        return path;
    }

    // What the window program saves after opening `input` and clicking as `press` does.
    Bytes saved_by_program(const fs::path& input, const std::function<void(PhotoCorrector&)>& press)
    {
        PhotoCorrector corrector;
        corrector.open_photo(input.string());
        press(corrector);
        corrector.save_photo(root.file("expected.jpg"));
        return read_bytes(root.file("expected.jpg"));
    }

    Bytes bytes_of(const fs::path& path) { return read_bytes(path.string()); }

    TempDir root{"mallet_test"};
    fs::path folder = root.file("work");
};

const auto no_buttons = [](PhotoCorrector&) {};

TEST_F(MalletTest, WritesWhatTheWindowProgramSavesAfterTheSameButtons)
{
    const fs::path phone = make_photo("trip/beach.jpg", 60, 40);
    const fs::path tagged = make_tagged_photo("trip/camera.jpg");
    const fs::path camera = make_photo("trip/day 2/hill.jpeg", 1301, 1000);  // above the phone pixel limit
    std::string output;
    ASSERT_EQ(run_mallet(folder,
                         {"correct", "--jobs", "1", "--preset", "indoors BULB lamp", "--lighter", "2",
                          "--camera", "digital", "--darker", "1", "-o", "out", "trip"},
                         &output),
              0)
        << output;
    const auto buttons = [](PhotoCorrector& c) {
        c.apply_preset(ScenePreset::IndoorsBulbLamp);
        c.lighten();
        c.lighten();
        c.set_camera_type(CameraType::DigitalCamera);
        c.darken();
    };
    EXPECT_TRUE(bytes_of(folder / "out/beach.jpg") == saved_by_program(phone, buttons));
    EXPECT_TRUE(bytes_of(folder / "out/camera.jpg") == saved_by_program(tagged, buttons));
    // The same worker opened this one right after the tagged photo: none of its metadata may follow.
    EXPECT_TRUE(bytes_of(folder / "out/day 2/hill.jpeg") == saved_by_program(camera, buttons));

    // Without buttons: the automatic correction, saved beside each input, by two workers.
    ASSERT_EQ(run_mallet(folder, {"correct", "--jobs", "2", "trip"}, &output), 0) << output;
    EXPECT_NE(output.find("ok trip/beach.jpg -> trip/beach_corrected.jpg\n"), npos) << output;
    EXPECT_TRUE(bytes_of(folder / "trip/beach_corrected.jpg") == saved_by_program(phone, no_buttons));
    EXPECT_TRUE(bytes_of(folder / "trip/camera_corrected.jpg") == saved_by_program(tagged, no_buttons));
    EXPECT_TRUE(bytes_of(folder / "trip/day 2/hill_corrected.jpg") == saved_by_program(camera, no_buttons));
    EXPECT_TRUE(bytes_of(folder / "trip/beach_corrected.jpg") != bytes_of(folder / "out/beach.jpg"));
}

TEST_F(MalletTest, SkipsExistingOutputsUnlessToldAndNeverReplacesAnInput)
{
    const fs::path photo = make_photo("photo.jpg", 60, 40);
    const Bytes original = bytes_of(photo);
    ASSERT_EQ(run_mallet(folder, {"correct", "."}), 0);
    const Bytes first = bytes_of(folder / "photo_corrected.jpg");

    // Again over the same folder: the output is kept, and not taken for a photo of its own.
    std::string output;
    EXPECT_EQ(run_mallet(folder, {"correct", "--preset", "backlight", "."}, &output), 0);
    EXPECT_NE(output.find("skipped ./photo.jpg: ./photo_corrected.jpg exists"), npos) << output;
    EXPECT_TRUE(bytes_of(folder / "photo_corrected.jpg") == first);
    EXPECT_FALSE(fs::exists(folder / "photo_corrected_corrected.jpg"));

    EXPECT_EQ(run_mallet(folder, {"correct", "--overwrite", "--preset", "backlight", "."}), 0);
    EXPECT_TRUE(bytes_of(folder / "photo_corrected.jpg") != first);

    // An output that would be an input fails that photo, even with --overwrite.
    EXPECT_EQ(run_mallet(folder, {"correct", "--overwrite", "-o", ".", "photo.jpg"}, &output), 1);
    EXPECT_NE(output.find("failed photo.jpg: "), npos) << output;
    EXPECT_TRUE(bytes_of(photo) == original);
}

TEST_F(MalletTest, BrokenFilesFailAloneWhileTheOthersAreCorrected)
{
    make_photo("good.jpg", 60, 40);
    make_photo("odd\nname.jpg", 60, 40);  // only a NUL-separated list can name it
    fs::copy_file(TINTELO_TEST_DATA "/text_named_jpg.jpg", folder / "text.jpg");
    fs::copy_file(TINTELO_TEST_DATA "/truncated_in_image_data.jpg", folder / "truncated.jpg");
    // A real header that claims 65,000 x 65,000 pixels, far above the program's limit.
    Bytes huge = bytes_of(make_photo("huge.jpg", 8, 8));
    const auto frame =
        std::search(huge.begin(), huge.end(), std::begin(kStartOfFrame), std::end(kStartOfFrame));
    ASSERT_NE(frame, huge.end());
    std::fill(frame + 5, frame + 9, 0xFD);
    write_bytes((folder / "huge.jpg").string(), huge);

    const char list[] = "good.jpg\0text.jpg\0missing.jpg\0odd\nname.jpg\0huge.jpg\0truncated.jpg\0";
    std::string output;
    EXPECT_EQ(run_mallet(folder, {"correct", "--jobs", "2", "-0", "-"}, &output, nullptr,
                         std::string(list, sizeof list - 1)),
              1);
    EXPECT_NE(output.find("failed text.jpg: not a JPEG\n"), npos) << output;
    EXPECT_NE(output.find("failed missing.jpg: cannot read the file: No such file or directory\n"), npos) << output;
    EXPECT_NE(output.find("failed huge.jpg: too large to open: 65021 x 65021 pixels\n"), npos) << output;
    for (const std::string name : {"good", "odd\nname", "truncated"})
        EXPECT_TRUE(fs::exists(folder / (name + "_corrected.jpg"))) << name;
    EXPECT_FALSE(fs::exists(folder / "text_corrected.jpg"));
}

TEST_F(MalletTest, UsageErrorsExitTwoWithTheUsageAndHelpGoesToStandardOutput)
{
    make_photo("photo.jpg", 8, 8);
    std::ofstream(folder / "file") << "not a folder";
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"fix", "photo.jpg"},
        {"correct"},
        {"correct", "--preset", "sunset", "photo.jpg"},
        {"correct", "--lighter", "-1", "photo.jpg"},
        {"correct", "--jobs", "0", "photo.jpg"},
        {"correct", "-o", "out", "--suffix", "_x", "photo.jpg"},
        {"correct", "-o", "file", "photo.jpg"},
        {"correct", "--frobnicate", "photo.jpg"},
        {"correct", "photo.jpg", "--camera"},
    };
    for (const auto& arguments : wrong) {
        std::string output, errors;
        EXPECT_EQ(run_mallet(folder, arguments, &output, &errors), 2) << ::testing::PrintToString(arguments);
        EXPECT_NE(errors.find("usage: mallet correct"), npos) << errors;
        EXPECT_EQ(output, "");
    }
    EXPECT_FALSE(fs::exists(folder / "photo_corrected.jpg"));

    std::string output, errors;
    EXPECT_EQ(run_mallet(folder, {"correct", "--help"}, &output, &errors), 0);
    EXPECT_NE(output.find("--overwrite"), npos);
    EXPECT_EQ(errors, "");
}

TEST_F(MalletTest, CtrlCFinishesThePhotosUnderWayAndLeavesNoPartialFile)
{
    constexpr int kPhotos = 40;
    const fs::path first = make_photo("photos/00.jpg", 1600, 1200);
    for (int i = 1; i < kPhotos; ++i)
        fs::copy_file(first, folder / "photos" / (std::to_string(100 + i).substr(1) + ".jpg"));

    MalletProcess mallet(folder, {"correct", "--jobs", "2", "photos"});
    ASSERT_TRUE(mallet.wait_for_output("ok "));
    mallet.send_signal(SIGINT);
    EXPECT_EQ(mallet.wait(), 130) << mallet.errors();

    // Every output there is complete; nothing else was left behind.
    const Bytes expected = saved_by_program(first, no_buttons);
    int outputs = 0;
    for (const auto& entry : fs::directory_iterator(folder / "photos")) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with("_corrected.jpg")) {
            EXPECT_EQ(name.size(), 6u) << "left behind: " << name;
            continue;
        }
        ++outputs;
        EXPECT_TRUE(bytes_of(entry.path()) == expected) << name;
    }
    const std::string lines = mallet.output();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), outputs) << lines;
    EXPECT_NE(mallet.errors().find("interrupted after " + std::to_string(outputs) + " of 40 photos"), npos)
        << mallet.errors();
}

}  // namespace
