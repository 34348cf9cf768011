#pragma once

#include <any>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "corrector/prepared_photo.h"

/// Reads the photo the user will likely want next on a thread of its own, below the
/// shown photo's work in priority, so that stepping to it needs no decode. It holds at
/// most one photo read ahead and one photo just left (given back by the corrector),
/// and reuses the storage of whatever it lets go of.
class PhotoReadAhead {
public:
    PhotoReadAhead();
    ~PhotoReadAhead();
    PhotoReadAhead(const PhotoReadAhead&) = delete;
    PhotoReadAhead& operator=(const PhotoReadAhead&) = delete;

    /// Reads `path` ahead, unless it is held already; a photo held ahead for another path
    /// is let go. An empty path lets go of it without reading another.
    void read(const std::string& path);
    /// The photo held for `path`, read ahead or just left: waits while it is still being
    /// read. Nothing when it was not asked for, or when the file changed on disk since.
    std::unique_ptr<PreparedPhoto> take(const std::string& path);
    /// Holds the photo just left, in place of the one held before.
    void hold_left(std::unique_ptr<PreparedPhoto> photo);
    /// Waits until the photo asked for is read (at once when none is).
    void wait_until_read();
    /// After each photo read from now on, `draw` is called with its pixels on the reading
    /// thread, and what it returns goes with the photo (PreparedPhoto::view_ahead). It must
    /// hold no reference to anything the event thread changes.
    void draw_ahead_with(std::function<std::any(const Bitmap32&)> draw);
    /// Photos read on the thread so far.
    int reads_done() const;

private:
    void thread_loop();
    // Keeps `photo`'s storage for the next read while no more than two photos are held.
    void recycle(std::unique_ptr<PreparedPhoto> photo);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string wanted_;  // the path to read ahead; empty for none
    std::function<std::any(const Bitmap32&)> draw_ahead_;
    std::unique_ptr<PreparedPhoto> ahead_;  // the last photo read (for `wanted_` unless it changed)
    std::unique_ptr<PreparedPhoto> left_;
    std::unique_ptr<PreparedPhoto> spare_;  // storage for the next read
    bool reading_ = false;
    int reads_done_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};
