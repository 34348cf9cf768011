#include "corrector/folder_walk.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/database.h"
#include "photo_files/jpeg_photo.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(FolderWalk, ReadsAheadInTheDirectionOfTravel)
{
    fill_curve_database();
    TempDir folder;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
        Bitmap32 photo;
        fill_photo(photo, 40, 30, [](int x, int y) { return opaque_rgb(x * 5, y * 7, 90); });
        write_photo(photo, folder.file(name));
    }
    PhotoCorrector corrector;
    FolderWalk walk(corrector);
    corrector.open_photo(folder.file("d.jpg"));
    walk.follow_shown_photo();
    EXPECT_EQ(walk.position_text(), "4 / 4");

    ASSERT_EQ(walk.step(FolderStep::previous), FolderWalk::Outcome::opened);
    EXPECT_EQ(corrector.shown_path(), folder.file("c.jpg"));
    walk.read_ahead().wait_until_read();
    EXPECT_NE(walk.read_ahead().take(folder.file("b.jpg")), nullptr) << "backwards, b comes next";

    ASSERT_EQ(walk.step(FolderStep::first), FolderWalk::Outcome::opened);
    walk.read_ahead().wait_until_read();
    EXPECT_NE(walk.read_ahead().take(folder.file("b.jpg")), nullptr) << "from the first on, forwards";
    EXPECT_EQ(walk.step(FolderStep::previous), FolderWalk::Outcome::at_end);
    EXPECT_EQ(corrector.shown_path(), folder.file("a.jpg"));
}

}  // namespace
