#include "batch/save_queue.h"

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
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        committing_ = true;
        changed_.notify_all();
        lock.unlock();
        done_(next.job, commit_photo(next.photo));
        lock.lock();
        committing_ = false;
        changed_.notify_all();
    }
}
