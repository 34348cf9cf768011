#include "corrector/photo_read_ahead.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The shown photo's clicks and redraws come first: this thread runs on what they leave idle.
void lower_this_thread_priority()
{
    sched_param parameters{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters) == 0) return;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
}

}  // namespace

PhotoReadAhead::PhotoReadAhead() : thread_([this] { thread_loop(); }) {}

PhotoReadAhead::~PhotoReadAhead()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void PhotoReadAhead::thread_loop()
{
    lower_this_thread_priority();
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(
            lock, [&] { return stopping_ || (!wanted_.empty() && !(ahead_ && ahead_->path == wanted_)); });
        if (stopping_) return;
        const std::string path = wanted_;
        std::unique_ptr<PreparedPhoto> photo = std::move(spare_);
        if (!photo) photo = std::move(ahead_);
        ahead_.reset();
        if (!photo) photo = std::make_unique<PreparedPhoto>();
        reading_ = true;
        const std::function<std::any(const Bitmap32&)> draw = draw_ahead_;
        lock.unlock();
        prepare_photo(path, *photo, MeasureOn::this_thread);
        photo->view_ahead.reset();
        if (draw && photo->loaded && !photo->error) {
            // Only a shortcut: a picture that cannot be drawn is drawn when the photo is shown.
            try {
                photo->view_ahead = draw(photo->pixels);
            } catch (...) {
                photo->view_ahead.reset();
            }
        }
        lock.lock();
        reading_ = false;
        ++reads_done_;
        ahead_ = std::move(photo);
        changed_.notify_all();
    }
}

void PhotoReadAhead::read(const std::string& path)
{
    std::lock_guard lock(mutex_);
    if (left_ && left_->path == path) return;
    wanted_ = path;
    if (path.empty() && ahead_) recycle(std::move(ahead_));
    changed_.notify_all();
}

std::unique_ptr<PreparedPhoto> PhotoReadAhead::take(const std::string& path)
{
    std::unique_lock lock(mutex_);
    std::unique_ptr<PreparedPhoto> photo;
    if (left_ && left_->path == path) {
        photo = std::move(left_);
    } else if (!path.empty() && wanted_ == path) {
        changed_.wait(lock, [&] { return !reading_ && ahead_ && ahead_->path == path; });
        photo = std::move(ahead_);
        wanted_.clear();
    } else {
        return nullptr;
    }
    lock.unlock();
    const bool current = still_on_disk(*photo);
    lock.lock();
    if (current) return photo;
    recycle(std::move(photo));
    return nullptr;
}

void PhotoReadAhead::hold_left(std::unique_ptr<PreparedPhoto> photo)
{
    std::lock_guard lock(mutex_);
    if (left_) recycle(std::move(left_));
    if (photo && photo->path.empty()) {
        recycle(std::move(photo));
        return;
    }
    left_ = std::move(photo);
    // Memory stays at two photos: the left one takes the place of a spare.
    if (left_ && ahead_ && spare_) spare_.reset();
}

void PhotoReadAhead::wait_until_read()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return !reading_ && (wanted_.empty() || (ahead_ && ahead_->path == wanted_)); });
}

void PhotoReadAhead::draw_ahead_with(std::function<std::any(const Bitmap32&)> draw)
{
    std::lock_guard lock(mutex_);
    draw_ahead_ = std::move(draw);
}

int PhotoReadAhead::reads_done() const
{
    std::lock_guard lock(mutex_);
    return reads_done_;
}

void PhotoReadAhead::recycle(std::unique_ptr<PreparedPhoto> photo)
{
    const int held = (ahead_ ? 1 : 0) + (left_ ? 1 : 0) + (spare_ ? 1 : 0) + (reading_ ? 1 : 0);
    if (held < 2 && !spare_) spare_ = std::move(photo);
}
