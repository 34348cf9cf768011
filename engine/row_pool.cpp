#include "engine/row_pool.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "engine/available_processors.h"

namespace {

// Band `part` of `parts` over `rows`: the same split for the same arguments, always.
int band_start(int rows, int parts, int part)
{
    return static_cast<int>(static_cast<long long>(rows) * part / parts);
}

}  // namespace

RowPool& RowPool::shared()
{
    static RowPool pool(threads_for_this_process());
    return pool;
}

int RowPool::threads_for_this_process()
{
    int threads = available_processors();
    if (const char* requested = std::getenv("TINTELO_THREADS")) {
        const int cap = std::atoi(requested);
        if (cap >= 1) threads = std::min(threads, cap);
    }
    return std::clamp(threads, 1, kMaximumThreads);
}

RowPool::RowPool(int threads)
{
    threads = std::clamp(threads, 1, kMaximumThreads);
    for (int i = 1; i < threads; ++i) workers_.emplace_back([this] { worker_loop(); });
}

RowPool::~RowPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    start_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

int RowPool::run_parts(int rows, int minimum_rows) const
{
    const int by_size = rows / std::max(1, minimum_rows);
    const int threads = std::min(this->threads(), thread_limit_.load(std::memory_order_relaxed));
    // A few bands per thread, so the bands of a thread held up elsewhere go to the others.
    return threads == 1 ? 1 : std::clamp(by_size, 1, std::min(4 * threads, kMaximumBands));
}

void RowPool::set_thread_limit(int threads)
{
    thread_limit_.store(std::clamp(threads, 1, this->threads()), std::memory_order_relaxed);
}

void RowPool::run_bands(Work work, void* context, int rows, int parts)
{
    // Every band is claimed and counted, skipped ones too, so the pass ends the same way
    // whether or not a band threw.
    int claimed = 0;
    for (int part; (part = next_part_.fetch_add(1)) < parts; ++claimed) {
        if (failed_.load(std::memory_order_relaxed)) continue;
        try {
            work(context, band_start(rows, parts, part), band_start(rows, parts, part + 1), part);
        } catch (...) {
            record_failure(std::current_exception());
        }
    }
    if (claimed == 0) return;
    std::lock_guard lock(mutex_);
    parts_done_ += claimed;
}

void RowPool::record_failure(std::exception_ptr failure)
{
    std::lock_guard lock(mutex_);
    if (!failure_) failure_ = std::move(failure);
    failed_.store(true, std::memory_order_relaxed);
}

void RowPool::run(int rows, int minimum_rows, Work work, void* context)
{
    run_in_parts(rows, run_parts(rows, minimum_rows), work, context);
}

void RowPool::run_in_parts(int rows, int parts, Work work, void* context)
{
    parts = std::clamp(parts, 1, kMaximumBands);
    if (parts == 1) {
        if (rows > 0) work(context, 0, rows, 0);
        return;
    }
    // The workers serve one pass at a time. A caller on another thread that finds them busy
    // runs its bands itself, split the same way, so its per-band results still fit. An
    // exception then leaves straight away: no other thread holds this frame.
    std::unique_lock pass(pass_mutex_, std::try_to_lock);
    if (!pass.owns_lock()) {
        for (int part = 0; part < parts; ++part)
            work(context, band_start(rows, parts, part), band_start(rows, parts, part + 1), part);
        return;
    }
    start_pass(work, context, rows, parts);
    run_bands(work, context, rows, parts);
    if (std::exception_ptr failure = finish_pass(parts)) std::rethrow_exception(failure);
}

void RowPool::start_pass(Work work, void* context, int rows, int parts)
{
    {
        std::unique_lock lock(mutex_);
        // A worker that woke after the last pass ended may still hold it; it claims nothing, but
        // must leave before the bands are reset.
        finished_.wait(lock, [&] { return workers_in_pass_ == 0; });
        work_ = work;
        context_ = context;
        rows_ = rows;
        parts_ = parts;
        parts_done_ = 0;
        failure_ = nullptr;
        failed_.store(false, std::memory_order_relaxed);
        next_part_.store(0);
        ++generation_;
    }
    start_.notify_all();
}

std::exception_ptr RowPool::finish_pass(int parts)
{
    // A worker still inside this pass must leave it before the caller's frame goes, and
    // before the next pass resets the bands.
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return parts_done_ == parts && workers_in_pass_ == 0; });
    return std::exchange(failure_, nullptr);
}

bool RowPool::run_beside(Task background, void* background_context, Task foreground, void* foreground_context)
{
    if (std::min(threads(), thread_limit_.load(std::memory_order_relaxed)) < 2) return false;
    std::unique_lock pass(pass_mutex_, std::try_to_lock);
    if (!pass.owns_lock()) return false;
    // The background is a pass of one band, which the first free worker claims.
    struct Beside {
        Task task;
        void* context;
    } beside{background, background_context};
    const Work work = [](void* context, int, int, int) {
        const auto* b = static_cast<const Beside*>(context);
        b->task(b->context);
    };
    start_pass(work, &beside, 1, 1);
    try {
        foreground(foreground_context);
    } catch (...) {
        record_failure(std::current_exception());
    }
    run_bands(work, &beside, 1, 1);
    if (std::exception_ptr failure = finish_pass(1)) std::rethrow_exception(failure);
    return true;
}

void RowPool::worker_loop()
{
    unsigned long seen = 0;
    for (;;) {
        std::unique_lock lock(mutex_);
        start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
        if (stopping_) return;
        seen = generation_;
        const Work work = work_;
        void* context = context_;
        const int rows = rows_;
        const int parts = parts_;
        ++workers_in_pass_;
        lock.unlock();
        run_bands(work, context, rows, parts);
        lock.lock();
        --workers_in_pass_;
        finished_.notify_one();
    }
}
