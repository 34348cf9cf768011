#include "photo_files/file_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

struct NameCase {
    const char* input;
    const char* expected;
};

class FileNamePart : public testing::TestWithParam<NameCase> {};

TEST_P(FileNamePart, IsTheTextAfterTheLastSeparator)
{
    EXPECT_EQ(file_name_part(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, FileNamePart,
                         testing::Values(NameCase{"C:\\Photos\\beach.jpg", "beach.jpg"},
                                         NameCase{"/home/ann/beach.jpg", "beach.jpg"},
                                         NameCase{"C:beach.jpg", "beach.jpg"},
                                         NameCase{"beach.jpg", "beach.jpg"}, NameCase{"/home/ann/", ""},
                                         NameCase{"a\\b/c:d.jpg", "d.jpg"},  // the very last of any kind
                                         NameCase{"", ""}));

class ExtensionRule : public testing::TestWithParam<NameCase> {};

TEST_P(ExtensionRule, AppendsJpgUnlessTheNameEndsInJpgInAnyCase)
{
    EXPECT_EQ(with_jpg_extension(GetParam().input), GetParam().expected);
}

// A phone photo's correction is offered as a JPEG beside it, whatever case its extension has.
TEST(JpegNameBeside, ReplacesOnlyTheExtension)
{
    EXPECT_EQ(jpeg_name_beside("/p/IMG_1.HEIC"), "/p/IMG_1.jpg");
    EXPECT_EQ(jpeg_name_beside("/p.q/shot.avif"), "/p.q/shot.jpg");
    EXPECT_EQ(jpeg_name_beside("/p.heic/shot"), "/p.heic/shot.jpg");
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExtensionRule,
    testing::Values(NameCase{"holiday", "holiday.jpg"}, NameCase{"holiday.jpeg", "holiday.jpeg.jpg"},
                    NameCase{"HOLIDAY.JPG", "HOLIDAY.JPG"}, NameCase{"x.jpg", "x.jpg"},
                    NameCase{"x.Jpg", "x.Jpg"}, NameCase{"x.", "x..jpg"}, NameCase{"x.png", "x.png.jpg"},
                    NameCase{"x.jpg.png", "x.jpg.png.jpg"},
                    // A "." in a folder name is no extension, whichever separator follows it.
                    NameCase{"/home/ann/trip.jpg/holiday", "/home/ann/trip.jpg/holiday.jpg"},
                    NameCase{"C:\\my.jpg\\holiday", "C:\\my.jpg\\holiday.jpg"},
                    NameCase{"/home/ann.b/photo.JPG", "/home/ann.b/photo.JPG"}));

TEST(HasJpegExtension, AcceptsJpgAndJpegInAnyCaseOnly)
{
    EXPECT_TRUE(has_jpeg_extension("/p/a.jpg"));
    EXPECT_TRUE(has_jpeg_extension("/p/a.JPEG"));
    EXPECT_TRUE(has_jpeg_extension("/p/a.JpG"));
    EXPECT_FALSE(has_jpeg_extension("/p/a.png"));
    EXPECT_FALSE(has_jpeg_extension("/p/a.jpe"));
    EXPECT_FALSE(has_jpeg_extension("/p/a.jpg.bak"));
    EXPECT_FALSE(has_jpeg_extension("/p.jpg/a"));
    EXPECT_FALSE(has_jpeg_extension("/p/jpg"));
}

TEST(FileExists, CountsWhatASaveWouldReplace)
{
    TempDir dir;
    write_bytes(dir.file("photo.jpg"), {1, 2, 3});
    ASSERT_EQ(symlink("nowhere.jpg", dir.file("dangling.jpg").c_str()), 0);
    ASSERT_EQ(symlink("photo.jpg", dir.file("link.jpg").c_str()), 0);

    EXPECT_TRUE(file_exists(dir.file("photo.jpg")));
    EXPECT_TRUE(file_exists(dir.file("link.jpg")));
    EXPECT_TRUE(file_exists(dir.file("dangling.jpg")));
    EXPECT_FALSE(file_exists(dir.file("missing.jpg")));
    EXPECT_FALSE(file_exists(dir.path()));                        // a folder is not a file to replace
    EXPECT_FALSE(file_exists(dir.file("photo.jpg/inside.jpg")));  // a file standing where a folder should
    EXPECT_FALSE(file_exists(""));
}

}  // namespace
