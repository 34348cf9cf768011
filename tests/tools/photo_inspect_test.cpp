#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/database.h"
#include "corrector/photo_corrector.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> bytes_of(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
        folder = fs::temp_directory_path() / ("photo_inspect_test_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        Bitmap32 photo;
        photo.set_size(40, 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                photo.scan_line(y)[x] = 0xFF000000u | static_cast<std::uint32_t>(x * 6) << 16 |
                                        static_cast<std::uint32_t>(y * 8) << 8 | static_cast<std::uint32_t>(x + y);
        source = (folder / "source.jpg").string();
        write_photo(photo, source);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
    std::string source;
};

TEST_F(PhotoInspectTest, WritesWhatTheProgramSavesAfterTheSameButtons)
{
    const fs::path by_tool = folder / "tool.jpg";
    const std::string line = run("--write " + by_tool.string() +
                                 " --preset indoors-bulb-lamp --lighter 2 --camera digital --darker 1 --preset "
                                 "OUTDOORS --lighter 9 " + source);
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
    const fs::path by_program = folder / "program.jpg";
    corrector.save_photo(by_program.string());
    // The encoder is deterministic: the same pixels give the same file.
    EXPECT_EQ(bytes_of(by_tool), bytes_of(by_program));

    // Without steps the tool writes the automatic correction, which differs from the above.
    const fs::path automatic = folder / "automatic.jpg";
    run("--write " + automatic.string() + " " + source);
    PhotoCorrector opened;
    opened.open_photo(source);
    const fs::path expected = folder / "expected.jpg";
    opened.save_photo(expected.string());
    EXPECT_EQ(bytes_of(automatic), bytes_of(expected));
    EXPECT_NE(bytes_of(automatic), bytes_of(by_program));
}

TEST_F(PhotoInspectTest, ReportsTheCorrectorsAnalysis)
{
    PhotoCorrector corrector;
    corrector.open_photo(source);
    const std::string line = run(source);
    EXPECT_NE(line.find("\"camera_type\":\"MobilePhone\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"phone_profile\":" + std::to_string(corrector.phone_profile) + ","), std::string::npos);
    EXPECT_NE(line.find("\"camera_profile\":" + std::to_string(corrector.camera_profile) + ","), std::string::npos);
    EXPECT_NE(line.find("\"intensity\":{\"count\":1200,"), std::string::npos) << line;
}

}  // namespace
