#include "engine/streaming_profile_measure.h"

#include <limits>

#include "engine/bitmap32.h"
#include "engine/pixel_storage.h"
#include "engine/row_pool.h"

void StreamingProfileMeasure::run_here(const std::function<void()>& make)
{
    counts_ = ProfileCounts{};
    photo_ = nullptr;
    beside_ = false;
    make();
}

void StreamingProfileMeasure::run(const std::function<void()>& make)
{
    counts_ = ProfileCounts{};
    photo_ = nullptr;
    pending_first_ = pending_end_ = 0;
    ended_ = counter_started_ = counter_done_ = false;
    beside_ = true;
    auto counter = [this] { count_until_ended(); };
    auto maker = [this, &make] {
        struct EndRows {
            StreamingProfileMeasure* measure;
            ~EndRows() { measure->rows_ended(); }
        } end_rows{this};
        make();
    };
    if (RowPool::shared().run_beside(counter, maker)) return;
    // No worker to be had: every range is counted the moment it is told.
    beside_ = false;
    make();
}

void StreamingProfileMeasure::rows_final(const Bitmap32& photo, int first, int end)
{
    if (first >= end) return;
    if (!beside_) {
        count(&photo, first, end);
        return;
    }
    std::unique_lock lock(mutex_);
    photo_ = &photo;
    if (pending_first_ == pending_end_) {
        pending_first_ = first;
        pending_end_ = end;
    } else if (first == pending_end_) {
        pending_end_ = end;
    } else if (end == pending_first_) {
        pending_first_ = first;
    } else {
        // Not next to the rows still waiting: let the counter take those first.
        changed_.wait(lock, [&] { return pending_first_ == pending_end_ || counter_done_; });
        pending_first_ = first;
        pending_end_ = end;
    }
    changed_.notify_all();
}

void StreamingProfileMeasure::rows_ended()
{
    if (!beside_) return;
    std::unique_lock lock(mutex_);
    if (ended_) return;
    ended_ = true;
    if (counter_started_) {
        changed_.notify_all();
        // The maker may clear the photo once this returns: the counter must have let go of it.
        changed_.wait(lock, [&] { return counter_done_; });
        return;
    }
    // No worker has come yet: count what is left here, so none reads the photo later.
    counter_started_ = true;
    const Bitmap32* photo = photo_;
    const int first = pending_first_, end = pending_end_;
    pending_first_ = pending_end_ = 0;
    lock.unlock();
    count(photo, first, end);
    lock.lock();
    counter_done_ = true;
}

void StreamingProfileMeasure::count_until_ended()
{
    std::unique_lock lock(mutex_);
    if (counter_started_) return;  // the maker ended first and counted the rest itself
    counter_started_ = true;
    const Bitmap32* prepared = nullptr;
    for (;;) {
        changed_.wait(lock, [&] { return pending_first_ != pending_end_ || ended_; });
        if (pending_first_ == pending_end_) break;
        // Taken under the lock, with the range: the maker writes it while telling rows.
        const Bitmap32* photo = photo_;
        const int first = pending_first_, end = pending_end_;
        pending_first_ = pending_end_ = 0;
        // The maker may tell the next rows meanwhile; they wait as the pending range.
        changed_.notify_all();
        lock.unlock();
        if (photo != prepared) {
            // This thread mostly waits for the decoder: meanwhile it maps the pages of the
            // photo's storage that the decoder will write, which on a new photo would each
            // cost the decoding thread a page fault.
            prepared = photo;
            prefault_pixel_storage(photo->pixels(), photo->pixel_count() * sizeof(std::uint32_t));
        }
        count(photo, first, end);
        lock.lock();
    }
    counter_done_ = true;
    changed_.notify_all();
}

void StreamingProfileMeasure::count(const Bitmap32* photo, int first, int end)
{
    if (first < end) count_profile_rows(*photo, first, end, counts_, nullptr);
}

ProfileStatistics StreamingProfileMeasure::statistics() const
{
    if (counts_.pixels > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        throw EHistogramError("GetHistogram:  Bitmap has too many pixels to count.");
    return profile_statistics_of(counts_.blue, counts_.intensity, counts_.red_sum, counts_.green_sum,
                                 counts_.pixels);
}
