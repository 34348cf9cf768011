#include "engine/row_pool.h"

#include <algorithm>
#include <cstdlib>

namespace {

int threads_from_environment()
{
    int threads = static_cast<int>(std::thread::hardware_concurrency());
    if (const char* requested = std::getenv("TINTELO_THREADS")) {
        const int cap = std::atoi(requested);
        if (cap >= 1) threads = std::min(threads, cap);
    }
    return std::clamp(threads, 1, RowPool::kMaximumThreads);
}

// Band `part` of `parts` over `rows`: the same split for the same arguments, always.
int band_start(int rows, int parts, int part)
{
    return static_cast<int>(static_cast<long long>(rows) * part / parts);
}

}  // namespace

RowPool& RowPool::shared()
{
    static RowPool pool(threads_from_environment());
    return pool;
}

RowPool::RowPool(int threads)
{
    threads = std::clamp(threads, 1, kMaximumThreads);
    for (int i = 1; i < threads; ++i) workers_.emplace_back([this, i] { worker_loop(i); });
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
    return std::clamp(by_size, 1, threads());
}

void RowPool::run(int rows, int minimum_rows, Work work, void* context)
{
    const int parts = run_parts(rows, minimum_rows);
    if (parts == 1) {
        if (rows > 0) work(context, 0, rows, 0);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        work_ = work;
        context_ = context;
        rows_ = rows;
        parts_ = parts;
        pending_ = parts - 1;
        ++generation_;
    }
    start_.notify_all();
    work(context, 0, band_start(rows, parts, 1), 0);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return pending_ == 0; });
}

void RowPool::worker_loop(int index)
{
    unsigned long seen = 0;
    for (;;) {
        std::unique_lock lock(mutex_);
        start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
        if (stopping_) return;
        seen = generation_;
        if (index >= parts_) continue;
        const Work work = work_;
        void* context = context_;
        const int first = band_start(rows_, parts_, index);
        const int end = band_start(rows_, parts_, index + 1);
        lock.unlock();
        work(context, first, end, index);
        lock.lock();
        if (--pending_ == 0) finished_.notify_one();
    }
}
