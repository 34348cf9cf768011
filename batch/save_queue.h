#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "batch/correct_photo.h"

/// Commits written photos on a thread of its own, in the order they are put, so that the
/// waits for the disk overlap the next photo's work. Every save stays durable and atomic:
/// a photo counts as done, and `done` hears of it, only once its file is in place.
class SaveQueue {
public:
    using Done = std::function<void(std::size_t job, const PhotoOutcome&)>;
    /// `put` waits while `capacity` photos wait already (each holds an open file).
    explicit SaveQueue(Done done, std::size_t capacity = 32);
    /// Commits what is still waiting.
    ~SaveQueue();
    SaveQueue(const SaveQueue&) = delete;
    SaveQueue& operator=(const SaveQueue&) = delete;

    void put(std::size_t job, CorrectedPhoto photo);
    /// Waits up to `timeout` for every photo put so far to be committed; true when they are.
    bool wait_until_empty(std::chrono::milliseconds timeout);

private:
    struct Waiting {
        std::size_t job;
        CorrectedPhoto photo;
    };
    void commit_in_order();
    static std::vector<PhotoOutcome> commit_photos(std::deque<Waiting>& batch);
    Done done_;
    std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Waiting> waiting_;
    bool committing_ = false;  // one taken off `waiting_` and not reported yet
    bool closing_ = false;
    std::thread thread_;  // last: it starts once the rest is built
};
