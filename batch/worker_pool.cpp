#include "batch/worker_pool.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "batch/save_queue.h"
#include "engine/row_pool.h"

void run_photo_jobs(const std::vector<PhotoJob>& jobs, const CorrectionSteps& steps, int thread_count,
                    const std::atomic<bool>& stop,
                    const std::function<void(std::size_t job, const PhotoOutcome&)>& finished,
                    const std::function<void()>& waiting)
{
    std::atomic<std::size_t> next{0};
    std::mutex mutex;  // guards `running` and serialises `finished`
    std::condition_variable all_ended;
    int running = 0;
    const auto report = [&](std::size_t job, const PhotoOutcome& outcome) {
        const std::lock_guard lock(mutex);
        finished(job, outcome);
    };

    // Stop signals go to the waiting thread, never into a worker's system call.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGWINCH})
        sigaddset(&stop_signals, signal_number);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &stop_signals, &previous);

    SaveQueue saves(report);
    const auto work = [&] {
        PhotoCorrector corrector(nullptr, CorrectedPixels::on_save);
        for (std::size_t job = next++; job < jobs.size() && !stop; job = next++) {
            CorrectedPhoto photo = correct_photo(corrector, jobs[job], steps, stop);
            // Every photo starts as in a freshly opened program, and decodes into the last one's storage.
            corrector.close_photo();
            if (photo.file)
                saves.put(job, std::move(photo));
            else
                report(job, photo.outcome);
        }
        const std::lock_guard lock(mutex);
        --running;
        all_ended.notify_one();
    };

    std::vector<std::jthread> workers;
    const auto wanted =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(thread_count, 1)), jobs.size());
    RowPool::shared().set_thread_limit(threads_per_job(thread_count, wanted));
    for (std::size_t i = 0; i < wanted; ++i) {
        {
            const std::lock_guard lock(mutex);
            ++running;
        }
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            // Fewer threads than asked for still get the batch done.
            const std::lock_guard lock(mutex);
            --running;
            if (workers.empty()) {
                pthread_sigmask(SIG_SETMASK, &previous, nullptr);
                throw;
            }
            break;
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    std::unique_lock lock(mutex);
    while (running > 0) {
        if (all_ended.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; })) break;
        lock.unlock();
        waiting();
        lock.lock();
    }
    lock.unlock();
    while (!saves.wait_until_empty(std::chrono::milliseconds(100))) waiting();
}

int threads_per_job(int thread_count, std::size_t workers)
{
    // Whole threads only: workers sharing a spare thread would wait on each other.
    return std::max(1, std::max(thread_count, 1) / static_cast<int>(std::max<std::size_t>(workers, 1)));
}
