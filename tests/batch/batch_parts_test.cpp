#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_report.h"
#include "batch/input_photos.h"
#include "batch/mallet_command.h"
#include "batch/photo_jobs.h"
#include "batch/save_queue.h"
#include "batch/worker_pool.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string output_for(const std::string& named, const OutputRule& rule)
{
    std::istringstream no_list;
    const std::vector<InputPhoto> photos =
        find_input_photos({{named}}, no_list, '\n', {rule.ending, rule.folder});
    if (photos.size() == 1) return output_path_for(photos[0], rule);
    // Appended piece by piece: "(" + to_string(...) makes g++ 12 warn falsely in Release builds.
    std::string count = "(";
    count += std::to_string(photos.size());
    return count + ")";
}

TEST(OutputNames, BesideTheInputOrInTheOutputFolderUnderTheRelativePath)
{
    struct Case {
        const char* named;
        OutputRule rule;
        const char* output;
    };
    const Case cases[] = {
        {"trip/day/a.jpg", {}, "trip/day/a_corrected.jpg"},
        {"b.JPEG", {std::nullopt, "_v2.jpg"}, "b_v2.jpg"},
        {"./trip/../trip/a.jpg", {"out"}, "out/trip/a.jpg"},
        {"../elsewhere/a.jpg", {"out"}, "out/a.jpg"},
        {"/photos/a.jpg", {"/out"}, "/out/a.jpg"},
        {"trip/Phone.HEIC", {}, "trip/Phone_corrected.jpg"},
        {"trip/b.avif", {"out"}, "out/trip/b.jpg"},
    };
    for (const Case& c : cases) EXPECT_EQ(output_for(c.named, c.rule), c.output) << c.named;
}

TEST(WorkerThreads, NoMoreThanTheJobsAllowAndEveryOneForALonePhoto)
{
    EXPECT_EQ(threads_per_job(1, 1), 1);  // --jobs 1 keeps to one core
    EXPECT_EQ(threads_per_job(4, 1), 4);  // one photo gets every thread allowed
    EXPECT_EQ(threads_per_job(4, 4), 1);
    EXPECT_EQ(threads_per_job(5, 2), 2);  // never more than allowed in all
    EXPECT_EQ(threads_per_job(4, 0), 4);
}

TEST(InputPhotos, FoldersGiveTheirPhotosSortedWithoutOutputsAndOnce)
{
    const TempDir temp("input_photos_test");
    const fs::path folder = temp.path();
    for (const char* name : {"b.jpg", "A.JPG", "sub/c.jpeg", "note.txt", "b_corrected.jpg", "out/d.jpg",
                             "sub/e.Heic", "f.avif"}) {
        fs::create_directories((folder / name).parent_path());
        std::ofstream(folder / name) << "x";
    }
    std::istringstream list((folder / "b.jpg").string() + "\n\n" + (folder / "sub").string() + "\n");
    const std::vector<std::string> inputs = {folder.string(), "-"};
    const std::vector<InputPhoto> photos =
        find_input_photos(inputs, list, '\n', {"_corrected.jpg", (folder / "out").string()});
    std::vector<std::string> kept;
    for (const InputPhoto& photo : photos) kept.push_back(photo.kept_path);
    EXPECT_EQ(kept, (std::vector<std::string>{"A.JPG", "b.jpg", "f.avif", "sub/c.jpeg", "sub/e.Heic"}));

    // A list made on Windows works; NUL bytes in a list that is not NUL-separated stop it with a reason.
    std::istringstream windows_list((folder / "b.jpg").string() + "\r\n" + (folder / "sub").string() +
                                    "\r\n");
    EXPECT_EQ(find_input_photos({{"-"}}, windows_list, '\n', {"_corrected.jpg", {}}).size(), 3u);
    std::istringstream nul_list((folder / "b.jpg").string() + std::string(1, '\0') + "x\n");
    const std::vector<InputPhoto> refused =
        find_input_photos({{"-"}}, nul_list, '\n', {"_corrected.jpg", {}});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_NE(refused[0].problem.find("NUL bytes (a NUL-separated list needs -0)"), std::string::npos);

    // Ctrl+C during the listing ends it where it is, standard input and folders alike.
    const std::atomic<bool> stop{true};
    std::istringstream same_list((folder / "b.jpg").string() + "\n");
    EXPECT_TRUE(find_input_photos(inputs, same_list, '\n', {"_corrected.jpg", {}}, &stop).empty());
}

TEST(ProgressLine, FillsTheTerminalLineWithRateAndTimeLeft)
{
    const BatchCounts four_of_ten{10, 3, 1, 0};
    const std::string line = progress_line(four_of_ten, 2.0, 60);
    EXPECT_EQ(line.size(), 60u) << line;
    EXPECT_NE(line.find("] 4/10  2.0 photos/s  0:03 left"), std::string::npos) << line;
    const std::string bar = line.substr(1, line.find(']') - 1);
    EXPECT_EQ(std::count(bar.begin(), bar.end(), '#'), static_cast<long>(bar.size() * 4 / 10)) << line;

    const std::string before_the_first = progress_line({10, 0, 0, 0}, 0.5, 20);
    EXPECT_LE(before_the_first.size(), 20u);
    EXPECT_EQ(before_the_first.rfind("0/10  -- photos/s", 0), 0u) << before_the_first;
    EXPECT_NE(progress_line({7200, 1, 0, 0}, 1.0, 80).find("1/7200  1.0 photos/s  1:59:59 left"),
              std::string::npos);
}

TEST(SaveQueue, ReportsEachPhotoInOrderOnceItsFileIsInPlaceAndKeepsAFileThatAppearedMeanwhile)
{
    const TempDir temp("save_queue_test");
    std::vector<std::pair<std::size_t, PhotoOutcome>> reported;
    {
        SaveQueue saves([&](std::size_t job, const PhotoOutcome& outcome) {
            // Reported only once the file is there, complete.
            if (outcome.result == PhotoOutcome::Result::corrected) {
                EXPECT_TRUE(fs::exists(temp.file(std::to_string(job) + ".jpg"))) << job;
            }
            reported.emplace_back(job, outcome);
        });
        for (std::size_t job = 0; job < 3; ++job) {
            auto file = std::make_unique<AtomicFileWriter>(temp.file(std::to_string(job) + ".jpg"),
                                                           ExistingFile::keep);
            file->write(reinterpret_cast<const std::uint8_t*>("new"), 3);
            // Another run writes the second photo's output first.
            if (job == 1) std::ofstream(temp.file("1.jpg")) << "other";
            saves.put(job, {{PhotoOutcome::Result::corrected, {}}, std::move(file)});
        }
        EXPECT_TRUE(saves.wait_until_empty(std::chrono::seconds(10)));
    }
    ASSERT_EQ(reported.size(), 3u);
    for (std::size_t job = 0; job < 3; ++job) EXPECT_EQ(reported[job].first, job);
    EXPECT_EQ(reported[1].second.result, PhotoOutcome::Result::skipped);
    EXPECT_EQ(reported[1].second.reason, temp.file("1.jpg") + " exists");
    EXPECT_EQ(reported[2].second.result, PhotoOutcome::Result::corrected);
    std::ifstream other(temp.file("1.jpg"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(other), {}), "other");
    EXPECT_EQ(temp.entries().size(), 3u);  // no temporary file left
}

std::string text_of(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
    return text;
}

TEST(PhotoLines, NamesWithControlCharactersAreQuotedSoEachPhotoKeepsOneLine)
{
    EXPECT_EQ(printable_name("trip/day 2/a.jpg"), "trip/day 2/a.jpg");
    EXPECT_EQ(printable_name("odd\nname's\t\x1b\\.jpg"), "$'odd\\nname\\'s\\t\\x1B\\\\.jpg'");
    const std::string line = photo_line({"a\r.jpg", "a\r_corrected.jpg", {}},
                                        {PhotoOutcome::Result::failed, "Cannot write a\r: x"});
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
}

TEST(ProgressBar, FollowsTheTerminalsWidthAndStaysOffATerminalAPipeMayPrintTo)
{
    std::FILE* bar = std::tmpfile();
    std::FILE* failures = std::tmpfile();
    std::atomic<int> width{60};
    ReportStreams streams;
    streams.bar = bar;
    streams.failure_lines = failures;
    streams.live_bar_width = &width;
    BatchReport report(streams, 4);
    // The terminal was made narrower, yet wide enough for the bar whatever the rate's digits.
    width = 50;
    report.photo_finished({"a.jpg", "b.jpg", {}}, {PhotoOutcome::Result::failed, "not a JPEG"});
    const std::string drawn = text_of(bar);
    EXPECT_EQ(drawn.size() - drawn.rfind("\033[K") - 3, 49u) << drawn;

    // Standard output a pipe, standard error a terminal: the photo lines go to the pipe, no bar.
    const TempDir temp("progress_bar_test");
    std::FILE* output = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    std::istringstream no_input;
    std::atomic<bool> stop{false};
    const MalletConsole console{no_input, output, errors, false, true, true, false, 80, nullptr};
    const std::vector<std::string> arguments = {"correct", temp.file("missing.jpg")};
    EXPECT_EQ(run_mallet(arguments, console, stop), 1);
    EXPECT_NE(text_of(output).find("failed " + temp.file("missing.jpg")), std::string::npos);
    EXPECT_EQ(text_of(errors).find("\033[K"), std::string::npos) << text_of(errors);
    for (std::FILE* file : {bar, failures, output, errors}) std::fclose(file);
}

}  // namespace
