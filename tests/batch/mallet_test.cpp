#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "batch/mallet_command.h"
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

    // Photos big enough that a run lasts while a test does something to it.
    void make_slow_folder(const std::string& name, int photos)
    {
        const fs::path first = make_photo(name + "/00.jpg", 1600, 1200);
        for (int i = 1; i < photos; ++i)
            fs::copy_file(first, folder / name / (std::to_string(100 + i).substr(1) + ".jpg"));
    }

    // Photos written, and whether any temporary file was left behind.
    std::pair<int, bool> outputs_in(const std::string& name)
    {
        int outputs = 0;
        bool left_behind = false;
        for (const auto& entry : fs::directory_iterator(folder / name)) {
            const std::string file = entry.path().filename().string();
            outputs += file.ends_with("_corrected.jpg");
            left_behind |= file[0] == '.';
        }
        return {outputs, left_behind};
    }

    TempDir root{"mallet_test"};
    fs::path folder = root.file("work");
};

const auto no_buttons = [](PhotoCorrector&) {};

TEST_F(MalletTest, WritesWhatTheWindowProgramSavesAfterTheSameButtons)
{
    const fs::path phone = make_photo("trip/beach.jpg", 60, 40);
    const fs::path tagged = make_tagged_photo("trip/camera.jpg");
    const fs::path camera = make_photo("trip/day 2/hill.jpeg", 1301, 1000);  // above the phone pixel limit
    const fs::path heic = folder / "trip/harbour.HEIC";
    ASSERT_EQ(std::system(
                  ("heif-enc -q 90 -o '" + heic.string() + "' '" + phone.string() + "' >/dev/null").c_str()),
              0);
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
    // Every output is a JPEG, named so.
    EXPECT_TRUE(bytes_of(folder / "out/harbour.jpg") == saved_by_program(heic, buttons));

    // Without buttons: the automatic correction, saved beside each input, by two workers.
    ASSERT_EQ(run_mallet(folder, {"correct", "--jobs", "2", "trip"}, &output), 0) << output;
    EXPECT_NE(output.find("ok trip/beach.jpg -> trip/beach_corrected.jpg\n"), npos) << output;
    EXPECT_TRUE(bytes_of(folder / "trip/beach_corrected.jpg") == saved_by_program(phone, no_buttons));
    EXPECT_TRUE(bytes_of(folder / "trip/camera_corrected.jpg") == saved_by_program(tagged, no_buttons));
    EXPECT_TRUE(bytes_of(folder / "trip/day 2/hill_corrected.jpg") == saved_by_program(camera, no_buttons));
    EXPECT_TRUE(bytes_of(folder / "trip/harbour_corrected.jpg") == saved_by_program(heic, no_buttons));
    EXPECT_TRUE(bytes_of(folder / "trip/beach_corrected.jpg") != bytes_of(folder / "out/beach.jpg"));

    // A strength before the buttons softens what they give, as the slider set at any time does.
    ASSERT_EQ(run_mallet(folder,
                         {"correct", "--strength", "35", "--preset", "backlight", "--lighter", "1", "-o",
                          "soft", "trip/beach.jpg", "trip/day 2/hill.jpeg"},
                         &output),
              0)
        << output;
    const auto softened = [](PhotoCorrector& c) {
        c.apply_preset(ScenePreset::Backlight);
        c.lighten();
        c.set_strength(35);
    };
    EXPECT_TRUE(bytes_of(folder / "soft/trip/beach.jpg") == saved_by_program(phone, softened));
    EXPECT_TRUE(bytes_of(folder / "soft/trip/day 2/hill.jpeg") == saved_by_program(camera, softened));
    EXPECT_TRUE(bytes_of(folder / "soft/trip/beach.jpg") != saved_by_program(phone, [](PhotoCorrector& c) {
                    c.apply_preset(ScenePreset::Backlight);
                    c.lighten();
                }));
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

    // Quiet, only the failures are told, and only once.
    std::ofstream(folder / "empty.jpg").close();
    std::string errors;
    EXPECT_EQ(run_mallet(folder, {"correct", "--quiet", "photo.jpg", "empty.jpg"}, &output, &errors), 1);
    EXPECT_EQ(output + errors, "failed empty.jpg: empty file\n");
}

TEST_F(MalletTest, BrokenFilesFailAloneWhileTheOthersAreCorrected)
{
    make_photo("good.jpg", 60, 40);
    make_photo("odd\nname.jpg", 60, 40);  // only a NUL-separated list can name it
    fs::copy_file(TINTELO_TEST_DATA "/text_named_jpg.jpg", folder / "text.jpg");
    fs::copy_file(TINTELO_TEST_DATA "/truncated_in_image_data.jpg", folder / "truncated.jpg");
    std::ofstream(folder / "empty.jpg").close();
    // Cut inside its image data: the rows after the cut are grey.
    Bytes cut = bytes_of(make_photo("cut.jpg", 64, 256));
    cut.resize(cut.size() / 2);
    write_bytes((folder / "cut.jpg").string(), cut);
    // A real header that claims 65,000 x 65,000 pixels, far above the program's limit.
    Bytes huge = bytes_of(make_photo("huge.jpg", 8, 8));
    const auto frame =
        std::search(huge.begin(), huge.end(), std::begin(kStartOfFrame), std::end(kStartOfFrame));
    ASSERT_NE(frame, huge.end());
    std::fill(frame + 5, frame + 9, 0xFD);
    write_bytes((folder / "huge.jpg").string(), huge);

    const char list[] =
        "good.jpg\0text.jpg\0missing.jpg\0odd\nname.jpg\0huge.jpg\0truncated.jpg\0empty.jpg\0cut.jpg\0";
    std::string output, errors;
    EXPECT_EQ(run_mallet(folder, {"correct", "--jobs", "2", "-0", "-"}, &output, &errors,
                         std::string(list, sizeof list - 1)),
              1);
    EXPECT_NE(output.find("failed empty.jpg: empty file\n"), npos) << output;
    EXPECT_NE(output.find("ok cut.jpg -> cut_corrected.jpg (the photo's data ends early: "), npos) << output;
    EXPECT_NE(output.find(" rows are grey)\n"), npos) << output;
    EXPECT_NE(errors.find("corrected (2 with data ending early)"), npos) << errors;
    // One line per photo, whatever its name holds.
    EXPECT_NE(output.find("ok $'odd\\nname.jpg' -> $'odd\\nname_corrected.jpg'\n"), npos) << output;
    EXPECT_NE(output.find("failed text.jpg: not a JPEG\n"), npos) << output;
    EXPECT_NE(output.find("failed missing.jpg: cannot read the file: No such file or directory\n"), npos)
        << output;
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
        {"correct", "--strength", "101", "photo.jpg"},
        {"correct", "--jobs", "0", "photo.jpg"},
        {"correct", "--jobs", "1025", "photo.jpg"},
        {"correct", "-o", "out", "--suffix", "_x", "photo.jpg"},
        {"correct", "-o", "file", "photo.jpg"},
        {"correct", "--frobnicate", "photo.jpg"},
        {"correct", "photo.jpg", "--camera"},
        {"correct", "-o", "a", "-ob", "photo.jpg"},
        {"correct", "--suffix", "_a", "--suffix=_b", "photo.jpg"},
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

    // Short options take their value attached, long ones after "=", as in other tools.
    EXPECT_EQ(
        run_mallet(folder, {"correct", "-j1", "--jobs=1024", "-oout", "--camera", "DIGITAL", "photo.jpg"},
                   &output, &errors),
        0)
        << errors;
    EXPECT_TRUE(fs::exists(folder / "out/photo.jpg"));
}

TEST_F(MalletTest, CtrlCFinishesThePhotosUnderWayAndLeavesNoPartialFile)
{
    constexpr int kPhotos = 40;
    const fs::path first = make_photo("photos/00.jpg", 1600, 1200);
    for (int i = 1; i < kPhotos; ++i)
        fs::copy_file(first, folder / "photos" / (std::to_string(100 + i).substr(1) + ".jpg"));
    // The last photos' outputs are there already: a run that went on would report them skipped.
    constexpr int kKept = 5;
    for (int i = kPhotos - kKept; i < kPhotos; ++i)
        write_bytes((folder / "photos" / (std::to_string(i) + "_corrected.jpg")).string(), {'k'});

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
        if (bytes_of(entry.path()) == Bytes{'k'}) continue;
        ++outputs;
        EXPECT_TRUE(bytes_of(entry.path()) == expected) << name;
    }
    const std::string lines = mallet.output();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), outputs) << lines;
    EXPECT_NE(mallet.errors().find("interrupted after " + std::to_string(outputs) + " of 40 photos"), npos)
        << mallet.errors();
}

TEST_F(MalletTest, NothingIsWrittenThroughALinkOrOverAnInputReachedByAnotherPath)
{
    const fs::path photo = make_photo("photo.jpg", 60, 40);
    const Bytes original = bytes_of(photo);
    std::ofstream(folder / "precious.txt") << "keep me";
    fs::create_symlink("precious.txt", folder / "photo_corrected.jpg");
    std::string output;
    EXPECT_EQ(run_mallet(folder, {"correct", "--overwrite", "photo.jpg"}, &output), 1);
    EXPECT_NE(output.find("failed photo.jpg: photo_corrected.jpg is a symbolic link"), npos) << output;
    EXPECT_TRUE(fs::is_symlink(folder / "photo_corrected.jpg"));
    EXPECT_TRUE(bytes_of(folder / "precious.txt") == Bytes({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));

    // The input by another name: a path cannot tell, its inode can.
    fs::create_directories(folder / "out");
    fs::create_hard_link(photo, folder / "out/photo.jpg");
    EXPECT_EQ(run_mallet(folder, {"correct", "--overwrite", "-o", "out", "photo.jpg"}, &output), 1);
    EXPECT_NE(output.find("failed photo.jpg: its output out/photo.jpg is an input photo"), npos) << output;
    EXPECT_TRUE(fs::equivalent(photo, folder / "out/photo.jpg"));
    EXPECT_TRUE(bytes_of(photo) == original);

    // Its folder through a link, and through a second mount of the folder.
    fs::create_directory_symlink(".", folder / "linked");
    EXPECT_EQ(run_mallet(folder, {"correct", "--overwrite", "-o", "linked", "photo.jpg"}, &output), 1);
    EXPECT_NE(output.find("failed photo.jpg: its output linked/photo.jpg is an input photo"), npos) << output;
    fs::create_directories(folder / "mirror");
    const std::string source = folder.string(), mirror = (folder / "mirror").string();
    MalletStart mounted;
    mounted.in_child = [&] {
        return (::unshare(CLONE_NEWNS) == 0 || ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) &&
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount(source.c_str(), mirror.c_str(), nullptr, MS_BIND, nullptr) == 0;
    };
    MalletProcess through_mount(folder, {"correct", "--overwrite", "-o", "mirror", "photo.jpg"}, mounted);
    const int status = through_mount.wait();
    EXPECT_TRUE(bytes_of(photo) == original);
    if (status == 126) GTEST_SKIP() << "no mount namespace here: the second mount was not tried";
    EXPECT_EQ(status, 1) << through_mount.errors();
    EXPECT_NE(through_mount.output().find("failed photo.jpg: its output mirror/photo.jpg is an input photo"),
              npos)
        << through_mount.output();
}

TEST_F(MalletTest, OnlyAnOutputThatExistsIsSkippedAndEveryOtherProblemFailsWithItsCause)
{
    // Its output's name is longer than any allowed. Built by append: g++ 12 warns falsely
    // about a concatenation of temporaries in optimised builds.
    const std::string long_name = std::string(245, 'n').append(".jpg");
    make_photo(long_name, 8, 8);
    make_photo("photo.jpg", 8, 8);
    fs::create_symlink("loop", folder / "loop");
    std::string output;
    EXPECT_EQ(run_mallet(folder, {"correct", long_name}, &output), 1);
    EXPECT_NE(output.find("_corrected.jpg: File name too long\n"), npos) << output;
    EXPECT_EQ(run_mallet(folder, {"correct", "-o", "loop/in", "photo.jpg"}, &output), 1);
    EXPECT_NE(
        output.find("failed photo.jpg: cannot check loop/in/photo.jpg: Too many levels of symbolic links"),
        npos)
        << output;

    // Two photos that would write one file fail together, on every run, each naming both.
    make_photo("twin.jpg", 8, 8);
    make_photo("twin.jpeg", 8, 8);
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(run_mallet(folder, {"correct", "twin.jpeg", "twin.jpg"}, &output), 1);
        for (const char* input : {"twin.jpeg", "twin.jpg"})
            EXPECT_NE(output.find("failed " + std::string(input) +
                                  ": twin.jpeg and twin.jpg would both be saved as twin_corrected.jpg\n"),
                      npos)
                << output;
        std::ofstream(folder / "twin_corrected.jpg") << "made by hand";
    }
}

TEST_F(MalletTest, UnlistableFoldersFailWithTheSystemsReason)
{
    make_photo("trip/a.jpg", 8, 8);
    make_photo("trip/locked/b.jpg", 8, 8);
    // Run as another user when the tests run as root, who could list it anyway.
    for (const fs::path& path : {fs::path(root.path()), folder, folder / "trip"})
        fs::permissions(path, fs::perms::all);
    fs::permissions(folder / "trip/locked", fs::perms::none);
    MalletProcess mallet(folder, {"correct", "trip"}, {.as_nobody = true});
    EXPECT_EQ(mallet.wait(), 1) << mallet.errors();
    fs::permissions(folder / "trip/locked", fs::perms::owner_all);
    EXPECT_NE(mallet.output().find("ok trip/a.jpg -> trip/a_corrected.jpg\n"), npos) << mallet.output();
    EXPECT_NE(mallet.output().find("failed trip/locked: cannot list: Permission denied\n"), npos)
        << mallet.output();
}

TEST_F(MalletTest, AClosedTerminalOrAnUnwritableReportStopsTheRunWithoutSuccess)
{
    const fs::path first = make_photo("photos/00.jpg", 1600, 1200);
    for (int i = 1; i < 20; ++i)
        fs::copy_file(first, folder / "photos" / (std::to_string(100 + i).substr(1) + ".jpg"));
    MalletProcess hung_up(folder, {"correct", "--jobs", "2", "photos"});
    ASSERT_TRUE(hung_up.wait_for_output("ok "));
    hung_up.send_signal(SIGHUP);
    EXPECT_EQ(hung_up.wait(), 128 + SIGHUP) << hung_up.errors();
    for (const auto& entry : fs::directory_iterator(folder / "photos"))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();

    // Ctrl+C while the list is still being read: the run ends as interrupted, not as empty.
    const fs::path list = folder.string() + ".input";
    fs::remove(list);
    ASSERT_EQ(::mkfifo(list.c_str(), 0600), 0);
    const int writer = ::open(list.c_str(), O_RDWR);  // keeps the pipe open, so the read waits
    MalletProcess listing(folder, {"correct", "-"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    listing.send_signal(SIGINT);
    EXPECT_EQ(listing.wait(), 130);
    ::close(writer);
    EXPECT_NE(listing.errors().find("mallet: interrupted after 0 of 0 photos"), npos) << listing.errors();
    fs::remove(list);

    // A report nobody can read is no success.
    const fs::path report = folder.string() + ".output";
    fs::remove(report);
    fs::create_symlink("/dev/full", report);
    std::string errors;
    EXPECT_EQ(run_mallet(folder, {"correct", "photos/00.jpg"}, nullptr, &errors), 1);
    EXPECT_NE(errors.find("mallet: cannot write the report: No space left on device"), npos) << errors;
    fs::remove(report);
}

TEST_F(MalletTest, AReportWithoutAReaderEndsTheRunWithoutSuccess)
{
    make_slow_folder("photos", 30);
    // Closed from the start: no photo is corrected that nobody would hear of.
    for (const std::string last : {"photos/00.jpg", "--help"}) {
        const std::vector<std::string> arguments = {"correct", last};
        MalletProcess closed(folder, arguments, {.output = MalletStart::kClosedStream});
        EXPECT_EQ(closed.wait(), 1) << last;
        EXPECT_NE(closed.errors().find("mallet: cannot write the report: Bad file descriptor\n"), npos)
            << closed.errors();
    }
    EXPECT_EQ(outputs_in("photos").first, 0);

    // The pipe's reader is gone (`| head -0`): the run stops at its first line, not with SIGPIPE
    // in the middle of a save.
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    ::close(pipe_ends[0]);
    MalletProcess piped(folder, {"correct", "--jobs", "1", "photos"}, {.output = pipe_ends[1]});
    ::close(pipe_ends[1]);
    EXPECT_EQ(piped.wait(), kMalletReaderGone) << piped.errors();
    EXPECT_NE(piped.errors().find("mallet: cannot write the report: Broken pipe\n"), npos) << piped.errors();
    const auto [outputs, left_behind] = outputs_in("photos");
    EXPECT_LT(outputs, 30);
    EXPECT_FALSE(left_behind);
}

TEST_F(MalletTest, TheProgressBarFollowsTheTerminalsWidth)
{
    make_slow_folder("photos", 30);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal < 0) GTEST_SKIP() << "no pseudo-terminals here";
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const int screen = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(screen, 0);
    auto set_width = [&](unsigned short columns) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = columns;
        return ::ioctl(terminal, TIOCSWINSZ, &size) == 0;
    };
    ASSERT_TRUE(set_width(60));
    MalletProcess mallet(folder, {"correct", "--jobs", "1", "photos"}, {.errors = screen});
    ::close(screen);

    // Waits for a bar as wide as the terminal less its last column; false when the run ends first.
    std::string seen;
    auto wait_for_bar = [&](std::size_t width) {
        std::string piece;
        char buffer[512];
        pollfd ready{terminal, POLLIN, 0};
        while (::poll(&ready, 1, 60000) == 1) {
            const ssize_t got = ::read(terminal, buffer, sizeof buffer);
            if (got <= 0) return false;
            for (const char c : std::string_view(buffer, static_cast<std::size_t>(got))) {
                if (c != '\r') {
                    piece += c;
                    continue;
                }
                if (piece.starts_with("\033[K[")) seen += std::to_string(piece.size() - 3) + " ";
                if (piece.starts_with("\033[K[") && piece.size() - 3 == width) return true;
                piece.clear();
            }
        }
        return false;
    };
    ASSERT_TRUE(wait_for_bar(59)) << seen;
    // The terminal tells its foreground process; this test's child is none, so it is told directly.
    ASSERT_TRUE(set_width(100));
    mallet.send_signal(SIGWINCH);
    EXPECT_TRUE(wait_for_bar(99)) << seen;
    mallet.send_signal(SIGINT);
    ::close(terminal);
    mallet.wait();
}

}  // namespace
