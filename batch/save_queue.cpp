#include "batch/save_queue.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace {

// Threads that wait for the disk at once; they only wait, so they take no processor from the photos.
constexpr std::size_t kFlushThreads = 8;

}  // namespace

SaveQueue::SaveQueue(Done done, std::size_t capacity)
    : done_(std::move(done)), capacity_(capacity), thread_([this] { commit_in_order(); })
{
}

SaveQueue::~SaveQueue()
{
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void SaveQueue::put(std::size_t job, CorrectedPhoto photo)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return waiting_.size() < capacity_; });
    waiting_.push_back({job, std::move(photo)});
    changed_.notify_all();
}

bool SaveQueue::wait_until_empty(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return waiting_.empty() && !committing_; });
}

void SaveQueue::commit_in_order()
{
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [&] { return !waiting_.empty() || closing_; });
        if (waiting_.empty()) return;
        // All that waits is committed together: one wait for the disk per file, then the renames in
        // order, then one sync per folder, so a photo costs the disk about one sync, not two.
        std::deque<Waiting> batch;
        batch.swap(waiting_);
        committing_ = true;
        changed_.notify_all();
        lock.unlock();
        std::vector<PhotoOutcome> outcomes = commit_photos(batch);
        for (std::size_t i = 0; i < batch.size(); ++i) done_(batch[i].job, outcomes[i]);
        lock.lock();
        committing_ = false;
        changed_.notify_all();
    }
}

std::vector<PhotoOutcome> SaveQueue::commit_photos(std::deque<Waiting>& batch)
{
    std::vector<PhotoOutcome> outcomes;
    for (Waiting& waiting : batch) outcomes.push_back(waiting.photo.outcome);
    const auto step = [&](std::size_t i, auto&& action) {
        if (!batch[i].photo.file) return;
        try {
            action(*batch[i].photo.file);
        } catch (const EFileExists& e) {
            outcomes[i] = {PhotoOutcome::Result::skipped, e.what()};
            batch[i].photo.file.reset();
        } catch (const std::exception& e) {
            outcomes[i] = {PhotoOutcome::Result::failed, e.what()};
            batch[i].photo.file.reset();
        }
    };
    // The waits overlap: the file system then writes the files of one batch in one go.
    {
        std::atomic<std::size_t> next{0};
        const auto flush_some = [&] {
            for (std::size_t i = next++; i < batch.size(); i = next++)
                step(i, [](AtomicFileWriter& file) { file.flush(); });
        };
        std::vector<std::jthread> flushers;
        for (std::size_t i = 1; i < std::min<std::size_t>(batch.size(), kFlushThreads); ++i) {
            try {
                flushers.emplace_back(flush_some);
            } catch (const std::system_error&) {
                break;  // fewer threads wait longer, that is all
            }
        }
        flush_some();
    }
    for (std::size_t i = 0; i < batch.size(); ++i) step(i, [](AtomicFileWriter& file) { file.place(); });
    std::set<std::string> folders;
    for (const Waiting& waiting : batch)
        if (waiting.photo.file) folders.insert(waiting.photo.file->folder());
    for (const std::string& folder : folders) sync_folder(folder);
    return outcomes;
}
