#include "tests/support/notification_recorder.h"

#include <algorithm>

#include "engine/bitmap32.h"

NotificationRecorder::NotificationRecorder(Bitmap32& bitmap, Areas areas)
{
    bitmap.OnChange = [this] { events.push_back("change"); };
    bitmap.OnResize = [this] { events.push_back("resize"); };
    if (areas == Areas::Ignored) return;
    bitmap.OnAreaChanged = [this, &bitmap](const BitmapRect& r) {
        const std::string size = std::to_string(bitmap.width()) + "x" + std::to_string(bitmap.height());
        if (r == BitmapRect{0, 0, bitmap.width(), bitmap.height()})
            events.push_back("area " + size);
        else
            events.push_back("area " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                             std::to_string(r.right) + "," + std::to_string(r.bottom) + " of " + size);
    };
}

int NotificationRecorder::count(const std::string& event) const
{
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}
