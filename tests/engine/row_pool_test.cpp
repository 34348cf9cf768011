#include "engine/row_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Every row is visited exactly once, in bands numbered in row order, for pass after
// pass on the same pool, whether the rows split or not and with all threads or fewer.
TEST(RowPool, EveryRowOnceInOrderedBandsPassAfterPass)
{
    RowPool pool(3);
    for (int limit : {3, 2, 1}) {
        pool.set_thread_limit(limit);
        // Enough bands for every thread, and one thread never splits.
        if (limit == 1) {
            EXPECT_EQ(pool.run_parts(1000, 10), 1);
        } else {
            EXPECT_GE(pool.run_parts(1000, 10), limit);
        }
        for (const auto& [rows, minimum_rows] :
             {std::pair{1000, 10}, std::pair{7, 3}, std::pair{5, 100}, std::pair{0, 1}}) {
            for (int pass = 0; pass < 20; ++pass) {
                const int parts = pool.run_parts(rows, minimum_rows);
                std::vector<int> visits(static_cast<std::size_t>(rows), 0);
                std::vector<int> band_first(static_cast<std::size_t>(parts), -1);
                std::vector<int> band_end(static_cast<std::size_t>(parts), -1);
                auto work = [&](int first, int end, int part) {
                    band_first[static_cast<std::size_t>(part)] = first;
                    band_end[static_cast<std::size_t>(part)] = end;
                    for (int row = first; row < end; ++row) ++visits[static_cast<std::size_t>(row)];
                };
                pool.run(rows, minimum_rows, work);
                EXPECT_EQ(visits, std::vector<int>(static_cast<std::size_t>(rows), 1)) << rows << " rows";
                if (rows == 0) continue;
                EXPECT_EQ(band_first.front(), 0);
                EXPECT_EQ(band_end.back(), rows);
                for (int part = 1; part < parts; ++part)
                    EXPECT_EQ(band_first[static_cast<std::size_t>(part)],
                              band_end[static_cast<std::size_t>(part - 1)]);
            }
        }
    }
    EXPECT_EQ(pool.run_parts(5, 100), 1);
}

// Passes started on several threads at once all finish, each covering its rows exactly
// once in the band split it was promised (a second caller used to corrupt the first's pass).
TEST(RowPool, CallersOnSeveralThreadsAtOnce)
{
    RowPool pool(2);
    constexpr int rows = 4000;
    auto caller = [&pool](std::vector<int>& visits, int& wrong_bands) {
        for (int pass = 0; pass < 200; ++pass) {
            const int parts = pool.run_parts(rows, 10);
            std::vector<std::atomic<int>> counts(rows);
            std::atomic<int> bands{0};
            auto work = [&](int first, int end, int part) {
                if (part < parts) bands.fetch_add(1);
                for (int row = first; row < end; ++row) counts[static_cast<std::size_t>(row)].fetch_add(1);
            };
            pool.run(rows, 10, work);
            for (int row = 0; row < rows; ++row) visits[static_cast<std::size_t>(row)] += counts[row].load();
            wrong_bands += bands.load() == parts ? 0 : 1;
        }
    };
    std::vector<int> first_visits(rows, 0), second_visits(rows, 0);
    int first_wrong_bands = 0, second_wrong_bands = 0;
    {
        std::jthread first(caller, std::ref(first_visits), std::ref(first_wrong_bands));
        std::jthread second(caller, std::ref(second_visits), std::ref(second_wrong_bands));
    }
    EXPECT_EQ(first_visits, std::vector<int>(rows, 200));
    EXPECT_EQ(second_visits, std::vector<int>(rows, 200));
    EXPECT_EQ(first_wrong_bands, 0);
    EXPECT_EQ(second_wrong_bands, 0);
}

// The background runs on a worker while the caller runs the foreground, even when it
// waits for what the foreground does; one thread runs neither, and a foreground that
// throws still waits for the background before the exception passes on.
TEST(RowPool, RunsABackgroundBesideTheCaller)
{
    RowPool pool(2);
    int rounds_side_by_side = 0;
    for (int round = 0; round < 20; ++round) {
        std::atomic<bool> background_started{false};
        std::atomic<bool> foreground_done{false};
        auto background = [&] {
            background_started.store(true);
            while (!foreground_done.load()) std::this_thread::yield();
        };
        auto foreground = [&] {
            // Waiting for the background is what a real foreground must never do; the
            // deadline keeps this test from hanging if the pool ran it afterwards.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (!background_started.load() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            rounds_side_by_side += background_started.load() ? 1 : 0;
            foreground_done.store(true);
        };
        ASSERT_TRUE(pool.run_beside(background, foreground));
        EXPECT_TRUE(background_started.load());
    }
    EXPECT_GT(rounds_side_by_side, 0);

    bool background_done = false;
    auto slow_background = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        background_done = true;
    };
    auto throwing_foreground = [] { throw std::runtime_error("gave up"); };
    EXPECT_THROW(pool.run_beside(slow_background, throwing_foreground), std::runtime_error);
    EXPECT_TRUE(background_done);

    pool.set_thread_limit(1);
    bool ran = false;
    auto mark = [&] { ran = true; };
    EXPECT_FALSE(pool.run_beside(mark, mark));
    EXPECT_FALSE(ran);
}

}  // namespace
