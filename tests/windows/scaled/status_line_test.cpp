// The status line at every scale desktops use, built into the scaled test program.
#include <gtest/gtest.h>

#include <vector>

#include "photo_files/jpeg_photo.h"
#include "tests/support/file_bytes.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/lcd_screen.h"
#include "tests/windows/windows_test_support.h"

namespace {

TEST(ScaledStatusLine, APhotoCutShortSaysSoWhollyOnTheLcdScreen)
{
    const TempDir folder("scaled_status");
    Bitmap32 scene;
    fill_photo(scene, 320, 240, [](int x, int y) { return opaque_rgb(x, y, x ^ y); });
    const std::string path = folder.file("cut.jpg");
    write_photo(scene, path);
    std::vector<std::uint8_t> bytes = read_bytes(path);
    bytes.resize(bytes.size() * 2 / 3);
    write_bytes(path, bytes);
    auto form = quick_form();
    open_dialog(*form).answers.push_back(path);
    click(*form->open_button);
    ASSERT_GT(form->corrector.load_outcome.grey_rows, 0);
    expect_status_on_the_lcd_screen(*form);
}

}  // namespace
