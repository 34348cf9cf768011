#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "engine/profile_counting.h"
#include "engine/profile_selection.h"
#include "engine/row_sink.h"

/// Measures a photo's profile statistics while its rows are being made, so that the
/// analysis of an opened photo hides behind its decoding: on a worker of the row pool
/// when one is free, else on the maker's thread as each range of rows arrives (still
/// in the cache). No 24-bit working copy is made. The figures are those of
/// copy_and_measure_profile on the finished photo, bit for bit.
class StreamingProfileMeasure : public RowSink {
public:
    /// Runs make() on this thread; make tells this sink of the photo's rows. Returns
    /// when make has returned (or thrown, which passes on) and every row told is counted.
    void run(const std::function<void()>& make);
    /// The same with every row counted on this thread as it is told, leaving the row
    /// pool's workers to the passes of the photo shown (for a photo read ahead).
    void run_here(const std::function<void()>& make);

    /// The figures of every row told; call after run(). Raises EHistogramError for
    /// more pixels than a histogram bin can count, as copy_and_measure_profile does.
    ProfileStatistics statistics() const;

    void rows_final(const Bitmap32& photo, int first, int end) override;
    void rows_ended() override;

private:
    // The worker's side: counts ranges as they come until the rows end.
    void count_until_ended();
    void count(const Bitmap32* photo, int first, int end);

    ProfileCounts counts_;
    const Bitmap32* photo_ = nullptr;  // the photo of the pending rows
    bool beside_ = false;              // rows are counted on a worker, not as they arrive

    std::mutex mutex_;
    std::condition_variable changed_;
    int pending_first_ = 0;  // rows told and not yet taken by the counting thread
    int pending_end_ = 0;
    bool ended_ = false;
    bool counter_started_ = false;  // a thread has taken the counting side
    bool counter_done_ = false;
};
