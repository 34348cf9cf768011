#include "engine/row_pool.h"

#include <gtest/gtest.h>

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

}  // namespace
