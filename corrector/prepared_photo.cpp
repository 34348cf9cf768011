#include "corrector/prepared_photo.h"

#include "engine/streaming_profile_measure.h"
#include "photo_files/jpeg_photo.h"

void prepare_photo(const std::string& path, PreparedPhoto& photo, MeasureOn measure_on)
{
    photo.path = path;
    photo.stamp = file_stamp(path);
    photo.metadata = PhotoMetadata();
    photo.outcome = LoadOutcome();
    photo.loaded = false;
    photo.error = nullptr;
    try {
        StreamingProfileMeasure measure;
        const auto decode = [&] {
            photo.loaded = load_photo(path, photo.pixels, &photo.metadata, &photo.outcome, &measure);
        };
        if (measure_on == MeasureOn::row_pool)
            measure.run(decode);
        else
            measure.run_here(decode);
        if (photo.loaded) photo.statistics = measure.statistics();
    } catch (...) {
        photo.error = std::current_exception();
    }
    // A file written while it was read is read again when it is shown.
    if (file_stamp(path) != photo.stamp) photo.stamp.reset();
}

bool still_on_disk(const PreparedPhoto& photo)
{
    return photo.stamp.has_value() && file_stamp(photo.path) == photo.stamp;
}
