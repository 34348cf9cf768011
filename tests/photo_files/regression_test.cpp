// Files each named after a fault the loader and saver must not have, and the kinds
// of unreadable file a user can pick in the open dialog.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "engine/bitmap32.h"
#include "photo_files/exif_orientation.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/photo_metadata.h"
#include "tests/photo_files/jpeg_fixtures.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

class UnreadableFile : public testing::Test {
protected:
    TempDir dir;
    Bitmap32 photo;

    void SetUp() override
    {
        photo.set_size(2, 2);
        photo.pixels()[0] = 0xFF123456u;
    }
    void expect_old_photo_kept()
    {
        EXPECT_EQ(photo.width(), 2);
        EXPECT_EQ(photo.pixel(0, 0), 0xFF123456u);
    }
};

// A named pipe cannot be read as a photo, and must not make the loader wait for a
// writer that never comes: the program would hang with the hourglass showing.
TEST_F(UnreadableFile, NamedPipeFailsAtOnceInsteadOfWaitingForAWriter)
{
    const std::string pipe = dir.file("pipe.jpg");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] { return load_outcome(pipe, photo); });
    const bool finished = load.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!finished) {
        // Release the stuck open so the test can end; the failure is already recorded.
        const int writer = ::open(pipe.c_str(), O_WRONLY);
        if (writer >= 0) ::close(writer);
    }
    EXPECT_TRUE(finished) << "load_photo waited for a writer on a named pipe";
    EXPECT_EQ(load.get(), "cannot read the file: not a regular file");
    expect_old_photo_kept();
}

TEST_F(UnreadableFile, LinksToNothingToThemselvesOrToADeviceFail)
{
    std::filesystem::create_symlink(dir.file("gone.jpg"), dir.file("dangling.jpg"));
    std::filesystem::create_symlink(dir.file("loop.jpg"), dir.file("loop.jpg"));
    std::filesystem::create_symlink("/dev/zero", dir.file("device.jpg"));
    EXPECT_EQ(load_outcome(dir.file("dangling.jpg"), photo),
              "cannot read the file: No such file or directory");
    EXPECT_EQ(load_outcome(dir.file("loop.jpg"), photo),
              "cannot read the file: Too many levels of symbolic links");
    EXPECT_EQ(load_outcome(dir.file("device.jpg"), photo), "cannot read the file: not a regular file");
    expect_old_photo_kept();
}

TEST_F(UnreadableFile, FileWithoutReadPermissionFails)
{
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file whatever its permissions";
    const std::string path = dir.file("locked.jpg");
    write_bytes(path, encode_test_jpeg(colour_image(8, 8)));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_EQ(load_outcome(path, photo), "cannot read the file");
    expect_old_photo_kept();
}

// Saved once, reopened and saved again, a photo keeps the same metadata, with
// orientation 1, also with these damaged blocks the metadata fuzzer made, and keeps
// its EXIF block unless a reader would turn the upright photo by it.
TEST(SavedMetadataRegression, FuzzerFindingsSettleAfterOneSave)
{
    TempDir dir;
    for (const char* name :
         {"exif_ifd0_inside_its_header.jpg", "maker_note_number_landing_in_the_moved_trailer.jpg",
          "exif_picture_over_its_tiff_header.jpg", "exif_picture_running_into_the_thumbnail.jpg",
          "exif_orientation_read_past_a_broken_ifd0_offset.jpg",
          "exif_thumbnail_claiming_the_tiff_header.jpg", "exif_thumbnail_over_the_byte_order.jpg"}) {
        SCOPED_TRACE(name);
        Bitmap32 photo, back;
        PhotoMetadata loaded, saved, saved_again;
        ASSERT_TRUE(load_photo(std::string(TINTELO_TEST_DATA) + "/" + name, photo, &loaded));
        write_photo(photo, dir.file("once.jpg"), loaded);
        ASSERT_TRUE(load_photo(dir.file("once.jpg"), back, &saved));
        write_photo(photo, dir.file("twice.jpg"), saved);
        ASSERT_TRUE(load_photo(dir.file("twice.jpg"), back, &saved_again));
        EXPECT_EQ(saved_again, saved);
        // Only a block whose orientation a lenient reader would apply again goes.
        EXPECT_EQ(saved.exif.empty(),
                  std::string(name) == "exif_orientation_read_past_a_broken_ifd0_offset.jpg");
        EXPECT_EQ(exif_orientation(saved.exif.data(), saved.exif.size()), 1);
    }
}

}  // namespace
