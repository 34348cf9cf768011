#include "photo_files/folder_photos.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "photo_files/file_stamp.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

void write_file(const std::string& path, const std::string& text)
{
    write_bytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

struct OrderCase {
    const char* before;
    const char* after;
    const char* why;
};

class FileManagerOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(FileManagerOrder, PutsTheFirstNameBeforeTheSecond)
{
    const OrderCase& c = GetParam();
    EXPECT_TRUE(file_manager_less(c.before, c.after)) << c.why;
    EXPECT_FALSE(file_manager_less(c.after, c.before)) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Names, FileManagerOrder,
    testing::Values(OrderCase{"IMG_2.jpg", "IMG_10.jpg", "digit runs by value"},
                    OrderCase{"img_9.jpg", "IMG_10.jpg", "case does not matter, value does"},
                    OrderCase{"apple.jpg", "Banana.jpg", "letters without case"},
                    OrderCase{"Beach.jpg", "beach.jpg", "names equal without case keep a byte order"},
                    OrderCase{"x007.jpg", "x7.jpg", "equal values keep a byte order"},
                    OrderCase{"x9a.jpg", "x0010.jpg", "leading zeros do not make a number larger"},
                    OrderCase{"trip 2 b.jpg", "trip 10 a.jpg", "the first run that differs decides"},
                    OrderCase{"IMG_99999999999999999999.jpg", "IMG_100000000000000000000.jpg",
                              "runs longer than any integer"},
                    OrderCase{"beach.jpg", "beach_corrected.jpg", "a shorter stem first"},
                    OrderCase{"a", "a1", "a prefix first"}));

TEST(FolderPhotos, ListsWhatOpensAndStepsWithoutWrapping)
{
    TempDir dir;
    for (const char* name : {"IMG_10.JPG", "img_2.jpeg", "IMG_1.jpg", "notes.txt", "raw.cr2"})
        write_file(dir.file(name), "x");
    ASSERT_EQ(::mkdir(dir.file("folder.jpg").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("nowhere.jpg", dir.file("dangling.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("IMG_1.jpg", dir.file("linked.jpg").c_str()), 0);

    const std::vector<std::string> names = list_folder_photos(dir.path());
    const std::vector<std::string> expected{"IMG_1.jpg", "img_2.jpeg", "IMG_10.JPG", "linked.jpg"};
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(list_folder_photos(dir.file("missing")).empty());
    // Phone photos step alongside the JPEGs.
    const TempDir phone;
    for (const char* name : {"b.AVIF", "a.heic", "c.png"}) write_file(phone.file(name), "x");
    EXPECT_EQ(list_folder_photos(phone.path()), (std::vector<std::string>{"a.heic", "b.AVIF"}));

    EXPECT_EQ(folder_step_target(names, "img_2.jpeg", FolderStep::next), 2u);
    EXPECT_EQ(folder_step_target(names, "img_2.jpeg", FolderStep::previous), 0u);
    EXPECT_EQ(folder_step_target(names, "linked.jpg", FolderStep::next), std::nullopt) << "no wrap";
    EXPECT_EQ(folder_step_target(names, "IMG_1.jpg", FolderStep::previous), std::nullopt) << "no wrap";
    EXPECT_EQ(folder_step_target(names, "img_2.jpeg", FolderStep::first), 0u);
    EXPECT_EQ(folder_step_target(names, "img_2.jpeg", FolderStep::last), 3u);
    // A photo deleted meanwhile: the step goes from where its name stood.
    EXPECT_EQ(folder_step_target(names, "IMG_5.jpg", FolderStep::next), 2u);
    EXPECT_EQ(folder_step_target(names, "IMG_5.jpg", FolderStep::previous), 1u);
    EXPECT_EQ(folder_step_target({}, "IMG_5.jpg", FolderStep::first), std::nullopt);

    EXPECT_EQ(folder_position(names, "IMG_10.JPG"), 2u);
    EXPECT_EQ(folder_position(names, "IMG_5.jpg"), std::nullopt);
}

TEST(FileStamp, ChangesWithSizeTimeAndIdentity)
{
    TempDir dir;
    const std::string path = dir.file("a.jpg");
    write_file(path, "one");
    const auto first = file_stamp(path);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(file_stamp(path), first);

    write_file(path, "four");
    EXPECT_NE(file_stamp(path), first) << "size";

    // Same size and time, another file renamed over it.
    const auto rewritten = file_stamp(path);
    write_file(dir.file("b.jpg"), "FOUR");
    struct timespec times[2] = {{0, UTIME_OMIT},
                                {rewritten->modified_ns / 1000000000, rewritten->modified_ns % 1000000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("b.jpg").c_str(), times, 0), 0);
    ASSERT_EQ(::rename(dir.file("b.jpg").c_str(), path.c_str()), 0);
    EXPECT_NE(file_stamp(path), rewritten) << "inode";

    EXPECT_EQ(file_stamp(dir.file("missing.jpg")), std::nullopt);
}

}  // namespace
