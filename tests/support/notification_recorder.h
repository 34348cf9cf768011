#pragma once

#include <string>
#include <vector>

class Bitmap32;

/// Records what a Bitmap32 tells its observers, in the order it tells it: "change",
/// "resize" and, when asked for, "area WxH" for an area that is the whole bitmap as
/// it is then (any other area reads "area L,T,R,B of WxH"). It takes the bitmap's
/// OnChange, OnResize and (when recording areas) OnAreaChanged, and must not outlive it.
class NotificationRecorder {
public:
    enum class Areas { Ignored, Recorded };

    explicit NotificationRecorder(Bitmap32& bitmap, Areas areas = Areas::Ignored);
    NotificationRecorder(const NotificationRecorder&) = delete;
    NotificationRecorder& operator=(const NotificationRecorder&) = delete;

    /// How many of `events` are `event`.
    int count(const std::string& event) const;

    std::vector<std::string> events;
};
