#include "corrector/photo_read_ahead.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "corrector/photo_corrector.h"
#include "engine/database.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/pixels.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace {

class PhotoReadAheadTest : public ::testing::Test {
protected:
    void SetUp() override { fill_curve_database(); }

    std::string make_photo(const std::string& name, int width, int height, int shift)
    {
        Bitmap32 photo;
        fill_photo(photo, width, height, [shift](int x, int y) {
            return opaque_rgb((x * 7 + y + shift) & 0xFF, (x * 3 + y * 5) & 0xFF,
                              (x + y * 11 + shift) & 0xFF);
        });
        const std::string path = folder.file(name);
        write_photo(photo, path);
        return path;
    }

    TempDir folder;
};

// What the user sees and saves: both views and the state behind the captions.
void expect_same_photo_shown(const PhotoCorrector& stepped, const PhotoCorrector& opened)
{
    EXPECT_TRUE(same_pixels(stepped.org_photo, opened.org_photo));
    EXPECT_TRUE(same_pixels(stepped.corrected_photo, opened.corrected_photo));
    EXPECT_EQ(stepped.phone_profile, opened.phone_profile);
    EXPECT_EQ(stepped.camera_profile, opened.camera_profile);
    EXPECT_EQ(stepped.camera_type, opened.camera_type);
    EXPECT_EQ(stepped.status_text, opened.status_text);
    EXPECT_EQ(stepped.file_part, opened.file_part);
    EXPECT_EQ(stepped.photo_loaded, opened.photo_loaded);
    EXPECT_EQ(stepped.photo_saved, opened.photo_saved);
}

TEST_F(PhotoReadAheadTest, APhotoReadAheadOpensAsItsFileAndTheOneLeftComesBack)
{
    const std::string first = make_photo("a.jpg", 90, 60, 0);
    const std::string second = make_photo("b.jpg", 1600, 900, 40);

    PhotoCorrector stepping;
    stepping.open_photo(first);
    PhotoReadAhead ahead;
    ahead.read(second);
    std::unique_ptr<PreparedPhoto> next = ahead.take(second);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(ahead.reads_done(), 1);
    std::unique_ptr<PreparedPhoto> left = stepping.open_prepared_photo(std::move(next));

    PhotoCorrector opening;
    opening.open_photo(second);
    expect_same_photo_shown(stepping, opening);

    // Back to the photo just left: held, so nothing is decoded again.
    ASSERT_EQ(left->path, first);
    ahead.hold_left(std::move(left));
    std::unique_ptr<PreparedPhoto> back = ahead.take(first);
    ASSERT_NE(back, nullptr);
    stepping.lighten();
    stepping.open_prepared_photo(std::move(back));
    opening.open_photo(first);
    expect_same_photo_shown(stepping, opening);
    EXPECT_EQ(ahead.reads_done(), 1);
}

TEST_F(PhotoReadAheadTest, GivesOnlyWhatWasAskedForAndStillOnDisk)
{
    const std::string first = make_photo("a.jpg", 64, 48, 0);
    const std::string second = make_photo("b.jpg", 64, 48, 9);
    PhotoReadAhead ahead;
    EXPECT_EQ(ahead.take(first), nullptr) << "never asked for";

    ahead.read(first);
    ahead.read(second);
    EXPECT_EQ(ahead.take(first), nullptr) << "let go for another";

    // Replaced after it was read, by a file of the same size written within the same second.
    std::unique_ptr<PreparedPhoto> held = ahead.take(second);
    ASSERT_NE(held, nullptr);
    ahead.hold_left(std::move(held));
    make_photo("c.jpg", 64, 48, 200);
    ASSERT_EQ(std::rename(folder.file("c.jpg").c_str(), second.c_str()), 0);
    EXPECT_EQ(ahead.take(second), nullptr) << "changed on disk";

    ahead.read(second);
    held = ahead.take(second);
    ASSERT_NE(held, nullptr) << "read again";
    Bitmap32 now;
    ASSERT_TRUE(load_photo(second, now));
    EXPECT_TRUE(same_pixels(held->pixels, now));
}

}  // namespace
