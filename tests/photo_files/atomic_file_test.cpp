#include "photo_files/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kNew = {'n', 'e', 'w'};

void write_new(AtomicFileWriter& file)
{
    file.write(kNew.data(), kNew.size());
}

TEST(AtomicFileWriter, AKeptFileThatAppearsMeanwhileWinsAndALinkIsNeverWrittenThrough)
{
    const TempDir dir("atomic_file_test");
    const std::string path = dir.file("photo.jpg");
    {
        AtomicFileWriter file(path, ExistingFile::keep);
        write_new(file);
        // Another run puts its output there while this one is still writing.
        write_bytes(path, {'o', 't', 'h', 'e', 'r'});
        EXPECT_THROW(file.commit(), EFileExists);
    }
    EXPECT_TRUE(read_bytes(path) == Bytes({'o', 't', 'h', 'e', 'r'}));
    EXPECT_EQ(dir.entries().size(), 1u);  // no temporary file left
    EXPECT_THROW(AtomicFileWriter(path, ExistingFile::keep), EFileExists);

    write_bytes(dir.file("precious"), {'p'});
    fs::create_symlink("precious", dir.file("link.jpg"));
    try {
        AtomicFileWriter file(dir.file("link.jpg"), ExistingFile::replace_but_not_links);
        ADD_FAILURE() << "wrote through a link";
    } catch (const EPhotoWriteError& e) {
        EXPECT_EQ(std::string(e.what()), dir.file("link.jpg") + " is a symbolic link");
    }
    // A link that appears meanwhile is replaced itself, never the file it points to.
    {
        AtomicFileWriter file(dir.file("late.jpg"), ExistingFile::replace_but_not_links);
        write_new(file);
        fs::create_symlink("precious", dir.file("late.jpg"));
        file.commit();
    }
    EXPECT_FALSE(fs::is_symlink(dir.file("late.jpg")));
    EXPECT_TRUE(read_bytes(dir.file("late.jpg")) == kNew);
    EXPECT_TRUE(read_bytes(dir.file("precious")) == Bytes({'p'}));
    {
        AtomicFileWriter file(path, ExistingFile::replace_but_not_links);
        write_new(file);
        file.commit();
    }
    EXPECT_TRUE(read_bytes(path) == kNew);
}

// A rename that fails (a folder full of files appeared at the path) fails the commit,
// and the temporary file goes all the same.
TEST(AtomicFileWriter, ARenameThatFailsThrowsAndLeavesNoTemporaryFile)
{
    const TempDir dir("atomic_file_test");
    const std::string path = dir.file("photo.jpg");
    {
        AtomicFileWriter file(path);
        write_new(file);
        fs::create_directories(path + "/inside");
        EXPECT_THROW(file.commit(), EPhotoWriteError);
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"photo.jpg"});
}

}  // namespace
