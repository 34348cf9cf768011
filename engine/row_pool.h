#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

/// Worker threads made once that share a pass over rows with the calling thread.
/// run() returns only when every row is done, so an operation still ends before the
/// next event is handled. Nothing is allocated per pass. Bands are claimed as threads
/// come free, so a worker that another program keeps waiting never delays the pass:
/// the caller takes its bands. Callers on several threads at once are safe: one pass
/// at a time gets the workers, the others run their bands on their own thread.
///
/// A band that throws, on whichever thread, ends the pass early: bands not yet started
/// are skipped, run() waits until no worker is inside the pass any more (the work's
/// context lives in the caller's frame) and then rethrows the first exception on the
/// calling thread. The pool serves the next pass as usual.
class RowPool {
public:
    static constexpr int kMaximumThreads = 16;
    /// Bands a pass can have at most, so callers can keep per-band results on the stack.
    static constexpr int kMaximumBands = 4 * kMaximumThreads;

    /// The process's pool, of threads_for_this_process() threads.
    static RowPool& shared();
    /// One thread per processor this process may run on (available_processors()), at most
    /// TINTELO_THREADS=n (1 = no workers) and kMaximumThreads.
    static int threads_for_this_process();

    explicit RowPool(int threads);  // 1 to kMaximumThreads
    ~RowPool();
    RowPool(const RowPool&) = delete;
    RowPool& operator=(const RowPool&) = delete;

    /// Calls work(context, first, end, part) once for each of run_parts(rows) consecutive
    /// row bands covering [0, rows), band `part` in row order, on whichever thread is free;
    /// bands of fewer than `minimum_rows` rows are not split off. Returns when all are done.
    using Work = void (*)(void* context, int first, int end, int part);
    void run(int rows, int minimum_rows, Work work, void* context);
    /// The same in exactly `parts` bands (1 to kMaximumBands), for a caller that prepared
    /// something for each band from run_parts() before the pass: the split stays the one
    /// it prepared for even when set_thread_limit() is called meanwhile.
    void run_in_parts(int rows, int parts, Work work, void* context);

    /// Runs foreground(foreground_context) on this thread while one worker runs
    /// background(background_context); returns when both are done. When no worker is
    /// free (one thread, or another caller's pass holds them) it runs neither and returns
    /// false at once. If no worker has taken `background` by the time `foreground` ends,
    /// this thread runs it, unless `foreground` threw. `background` may wait for what
    /// `foreground` does, never the other way round, and neither may start a pass of this
    /// pool. The first exception of the two is rethrown once both have ended.
    using Task = void (*)(void* context);
    bool run_beside(Task background, void* background_context, Task foreground, void* foreground_context);

    /// How many bands run() makes for `rows` (callers size per-band results with it).
    int run_parts(int rows, int minimum_rows) const;
    int threads() const { return static_cast<int>(workers_.size()) + 1; }

    /// Uses at most `threads` of the pool's threads from now on (benchmarks compare
    /// one core with all of them in one run); clamped to 1 .. the pool's size.
    void set_thread_limit(int threads);

    /// Calls work for a lambda without allocating.
    template <class Function>
    void run(int rows, int minimum_rows, Function& function)
    {
        run_in_parts(rows, run_parts(rows, minimum_rows), function);
    }

    template <class Function>
    void run_in_parts(int rows, int parts, Function& function)
    {
        run_in_parts(
            rows, parts,
            [](void* context, int first, int end, int part) {
                (*static_cast<Function*>(context))(first, end, part);
            },
            &function);
    }

    template <class Background, class Foreground>
    bool run_beside(Background& background, Foreground& foreground)
    {
        return run_beside([](void* context) { (*static_cast<Background*>(context))(); }, &background,
                          [](void* context) { (*static_cast<Foreground*>(context))(); }, &foreground);
    }

private:
    void worker_loop();
    // Opens a pass of `parts` bands for the workers; the caller holds pass_mutex_.
    void start_pass(Work work, void* context, int rows, int parts);
    // Waits until every band of the open pass is done or skipped and no worker is inside
    // it; returns the pass's first exception (null when no band threw).
    std::exception_ptr finish_pass(int parts);
    // Claims bands of the current pass until none is left and runs them; once a band of
    // the pass has thrown, on any thread, the bands claimed after it are skipped.
    void run_bands(Work work, void* context, int rows, int parts);
    // Keeps the pass's first exception and makes the bands not yet started be skipped.
    void record_failure(std::exception_ptr failure);

    std::vector<std::thread> workers_;
    std::atomic<int> thread_limit_{kMaximumThreads};
    std::mutex pass_mutex_;  // held by the caller whose pass the workers serve
    std::mutex mutex_;       // guards the fields below that are not atomic
    std::condition_variable start_;
    std::condition_variable finished_;
    unsigned long generation_ = 0;
    std::atomic<int> next_part_{0};
    std::atomic<bool> failed_{false};  // a band of the current pass threw
    std::exception_ptr failure_;       // the first exception of the current pass
    int parts_done_ = 0;               // bands run or skipped
    int workers_in_pass_ = 0;
    bool stopping_ = false;
    // The pass being run, read by the workers after they see a new generation.
    Work work_ = nullptr;
    void* context_ = nullptr;
    int rows_ = 0;
    int parts_ = 0;
};
