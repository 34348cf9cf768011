#include "engine/row_pool.h"

#include <gtest/gtest.h>

#if defined(__linux__)
#include <sched.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/available_processors.h"

namespace {

using namespace std::chrono_literals;

// Waits until `done` holds; gives up after five seconds, so a fault fails a test instead of hanging it.
template <class Condition>
bool wait_until(Condition done)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    return done();
}

// Whether a pass over 1000 rows in bands visits every row exactly once.
bool covers_every_row_once(RowPool& pool)
{
    std::vector<std::atomic<int>> visits(1000);
    auto work = [&](int first, int end, int) {
        for (int row = first; row < end; ++row) visits[static_cast<std::size_t>(row)].fetch_add(1);
    };
    pool.run(1000, 10, work);
    for (const std::atomic<int>& count : visits)
        if (count.load() != 1) return false;
    return true;
}

// What a call that should throw threw; "" when it returned.
template <class Call>
std::string thrown_by(Call call)
{
    try {
        call();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

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
// once in the band split it was promised: the second caller must not disturb the first's pass.
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
// waits for what the foreground does; one thread runs neither.
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

    pool.set_thread_limit(1);
    bool ran = false;
    auto mark = [&] { ran = true; };
    EXPECT_FALSE(pool.run_beside(mark, mark));
    EXPECT_FALSE(ran);
}

// A band that throws, on any thread and any path, reaches the caller as the pass's first
// exception, only once no band is under way any more (their work lives in the caller's
// frame), and the pool serves the next pass in full.
TEST(RowPool, AThrowingBandReachesTheCallerOnEveryPathAndThePoolGoesOn)
{
    RowPool pool(2);
    const std::thread::id caller = std::this_thread::get_id();

    // One band, run on the caller's thread without the workers.
    auto lone_band = [](int, int, int) { throw std::runtime_error("lone band"); };
    EXPECT_EQ(thrown_by([&] { pool.run(5, 100, lone_band); }), "lone band");
    EXPECT_TRUE(covers_every_row_once(pool));

    // The caller throws while the worker's band is still under way; then the worker throws
    // first and the caller's band later, which must not replace the worker's exception.
    for (const bool worker_throws : {false, true}) {
        std::atomic<int> worker_bands_started{0}, worker_bands_ended{0};
        std::atomic<bool> caller_threw{false}, worker_threw{false};
        auto band = [&](int, int, int) {
            if (std::this_thread::get_id() != caller) {
                worker_bands_started.fetch_add(1);
                if (worker_throws) {
                    worker_threw.store(true);
                    throw std::runtime_error("worker");
                }
                wait_until([&] { return caller_threw.load(); });
                std::this_thread::sleep_for(20ms);
                worker_bands_ended.fetch_add(1);
                return;
            }
            wait_until([&] { return worker_threw.load() || worker_bands_started.load() > 0; });
            if (worker_throws) std::this_thread::sleep_for(50ms);
            caller_threw.store(true);
            throw std::runtime_error("caller");
        };
        EXPECT_EQ(thrown_by([&] { pool.run(1000, 10, band); }), worker_throws ? "worker" : "caller");
        if (!worker_throws) {
            EXPECT_EQ(worker_bands_ended.load(), worker_bands_started.load());
        }
        EXPECT_TRUE(covers_every_row_once(pool));
    }

    // Another thread's pass holds the workers: this caller runs its bands itself.
    {
        std::atomic<bool> holding{false}, release{false};
        std::jthread holder([&] {
            auto background = [] {};
            auto foreground = [&] {
                holding.store(true);
                wait_until([&] { return release.load(); });
            };
            pool.run_beside(background, foreground);
        });
        ASSERT_TRUE(wait_until([&] { return holding.load(); }));
        std::atomic<int> bands_elsewhere{0};
        auto band = [&](int, int, int part) {
            if (std::this_thread::get_id() != caller) bands_elsewhere.fetch_add(1);
            if (part == 1) throw std::runtime_error("workers busy");
        };
        EXPECT_EQ(thrown_by([&] { pool.run(1000, 10, band); }), "workers busy");
        EXPECT_EQ(bands_elsewhere.load(), 0);
        release.store(true);
    }
    EXPECT_TRUE(covers_every_row_once(pool));

    // Beside: the background throws on the worker; then the foreground throws first, while
    // the background is still under way.
    for (const bool foreground_throws : {false, true}) {
        std::atomic<bool> started{false}, ended{false};
        auto background = [&] {
            started.store(true);
            if (foreground_throws) std::this_thread::sleep_for(20ms);
            ended.store(true);
            throw std::runtime_error("background");
        };
        auto foreground = [&] {
            wait_until([&] { return started.load(); });
            if (foreground_throws) throw std::runtime_error("foreground");
        };
        EXPECT_EQ(thrown_by([&] { pool.run_beside(background, foreground); }),
                  foreground_throws ? "foreground" : "background");
        EXPECT_TRUE(ended.load());
    }
    auto nothing = [] {};
    EXPECT_TRUE(pool.run_beside(nothing, nothing));
    EXPECT_TRUE(covers_every_row_once(pool));
}

#if defined(__linux__)
// The pool and the batch's jobs count the processors this process may run on, not the
// machine's: under taskset or a container's CPU limit more threads would only wait.
TEST(RowPool, SizedByTheProcessorsThisThreadMayRunOn)
{
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    struct RestoreAffinity {
        const cpu_set_t& set;
        ~RestoreAffinity() { sched_setaffinity(0, sizeof set, &set); }
    } restore{allowed};
    cpu_set_t chosen;
    CPU_ZERO(&chosen);
    for (int cpu = 0; cpu < CPU_SETSIZE && CPU_COUNT(&chosen) < 2; ++cpu) {
        if (!CPU_ISSET(cpu, &allowed)) continue;
        CPU_SET(cpu, &chosen);
        ASSERT_EQ(sched_setaffinity(0, sizeof chosen, &chosen), 0);
        EXPECT_EQ(available_processors(), CPU_COUNT(&chosen));
        if (CPU_COUNT(&chosen) == 1) {
            EXPECT_EQ(RowPool::threads_for_this_process(), 1);
        }
    }
}
#endif

// TINTELO_THREADS=1, as the one-thread test run sets it, leaves the pool without workers.
TEST(RowPool, TheThreadsVariableCapsThePool)
{
    if (available_processors() < 2) GTEST_SKIP() << "one processor: there is nothing to cap";
    const char* set = std::getenv("TINTELO_THREADS");
    const std::string before = set != nullptr ? set : "";
    setenv("TINTELO_THREADS", "1", 1);
    EXPECT_EQ(RowPool::threads_for_this_process(), 1);
    set != nullptr ? setenv("TINTELO_THREADS", before.c_str(), 1) : unsetenv("TINTELO_THREADS");
}

}  // namespace
