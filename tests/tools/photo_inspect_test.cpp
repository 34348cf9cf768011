#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "corrector/photo_corrector.h"
#include "engine/database.h"
#include "tests/support/file_bytes.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"

namespace {

std::string run(const std::string& arguments)
{
    std::string output;
    std::FILE* pipe = ::popen((std::string(PHOTO_INSPECT) + " " + arguments).c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
    return output;
}

class PhotoInspectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fill_curve_database();
        Bitmap32 photo;
        fill_photo(photo, 40, 30, [](int x, int y) { return opaque_rgb(x * 6, y * 8, x + y); });
        source = folder.file("source.jpg");
        write_photo(photo, source);
    }

    TempDir folder{"photo_inspect_test"};
    std::string source;
};

TEST_F(PhotoInspectTest, WritesWhatTheProgramSavesAfterTheSameButtons)
{
    const std::string by_tool = folder.file("tool.jpg");
    const std::string line =
        run("--write " + by_tool +
            " --preset indoors-bulb-lamp --lighter 2 --camera digital --darker 1 --preset "
            "OUTDOORS --lighter 9 " +
            source);
    EXPECT_NE(line.find("\"written\":true"), std::string::npos) << line;

    PhotoCorrector corrector;
    corrector.open_photo(source);
    corrector.apply_preset(ScenePreset::IndoorsBulbLamp);
    corrector.lighten();
    corrector.lighten();
    corrector.set_camera_type(CameraType::DigitalCamera);
    corrector.darken();
    corrector.apply_preset(ScenePreset::Outdoors);
    for (int i = 0; i < 9; ++i) corrector.lighten();
    const std::string by_program = folder.file("program.jpg");
    corrector.save_photo(by_program);
    // The encoder is deterministic: the same pixels give the same file.
    EXPECT_EQ(read_bytes(by_tool), read_bytes(by_program));

    // Without steps the tool writes the automatic correction, which differs from the above.
    const std::string automatic = folder.file("automatic.jpg");
    run("--write " + automatic + " " + source);
    PhotoCorrector opened;
    opened.open_photo(source);
    const std::string expected = folder.file("expected.jpg");
    opened.save_photo(expected);
    EXPECT_EQ(read_bytes(automatic), read_bytes(expected));
    EXPECT_NE(read_bytes(automatic), read_bytes(by_program));
}

TEST_F(PhotoInspectTest, ReportsTheCorrectorsAnalysis)
{
    PhotoCorrector corrector;
    corrector.open_photo(source);
    const std::string line = run(source);
    EXPECT_NE(line.find("\"camera_type\":\"MobilePhone\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"phone_profile\":" + std::to_string(corrector.phone_profile) + ","),
              std::string::npos);
    EXPECT_NE(line.find("\"camera_profile\":" + std::to_string(corrector.camera_profile) + ","),
              std::string::npos);
    EXPECT_NE(line.find("\"intensity\":{\"count\":1200,"), std::string::npos) << line;
}

}  // namespace
