#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

/// Worker threads made once that share a pass over rows with the calling thread.
/// run() returns only when every row is done, so an operation still ends before the
/// next event is handled. Nothing is allocated per pass.
class RowPool {
public:
    /// Bands a pass can have at most, so callers can keep per-band results on the stack.
    static constexpr int kMaximumThreads = 16;

    /// The process's pool: one thread per core (TINTELO_THREADS=n caps it, 1 = no workers).
    static RowPool& shared();

    explicit RowPool(int threads);  // 1 to kMaximumThreads
    ~RowPool();
    RowPool(const RowPool&) = delete;
    RowPool& operator=(const RowPool&) = delete;

    /// Calls work(context, first, end, part) for consecutive row bands covering [0, rows),
    /// band `part` of run_parts(rows) in order; bands of fewer than `minimum_rows` rows are
    /// not split off. One band runs on the caller; the call returns when all are done.
    using Work = void (*)(void* context, int first, int end, int part);
    void run(int rows, int minimum_rows, Work work, void* context);

    /// How many bands run() makes for `rows` (callers size per-band results with it).
    int run_parts(int rows, int minimum_rows) const;
    int threads() const { return static_cast<int>(workers_.size()) + 1; }

    /// Calls work for a lambda without allocating.
    template <class Function>
    void run(int rows, int minimum_rows, Function& function)
    {
        run(
            rows, minimum_rows,
            [](void* context, int first, int end, int part) {
                (*static_cast<Function*>(context))(first, end, part);
            },
            &function);
    }

private:
    void worker_loop(int index);

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable start_;
    std::condition_variable finished_;
    unsigned long generation_ = 0;
    int pending_ = 0;
    bool stopping_ = false;
    // The pass being run, read by the workers after they see a new generation.
    Work work_ = nullptr;
    void* context_ = nullptr;
    int rows_ = 0;
    int parts_ = 0;
};
