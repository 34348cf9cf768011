#include "photo_files/exif_orientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>

namespace {

struct ExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

int exif_orientation(const std::uint8_t* app1_payload, std::size_t size)
{
    static constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (app1_payload == nullptr || size < sizeof kExifHeader) return 1;
    if (std::memcmp(app1_payload, kExifHeader, sizeof kExifHeader) != 0) return 1;

    std::unique_ptr<ExifData, ExifDataRelease> data(exif_data_new());
    if (!data) return 1;
    // Read the tags as they are: libexif's standard-conformance option would add or rewrite entries.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), app1_payload, static_cast<unsigned int>(size));

    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    // Readers take an orientation written as a LONG too.
    const bool as_long = entry != nullptr && entry->format == EXIF_FORMAT_LONG;
    if (entry == nullptr || (entry->format != EXIF_FORMAT_SHORT && !as_long) || entry->components < 1 ||
        entry->data == nullptr || entry->size < (as_long ? 4u : 2u))
        return 1;
    const ExifByteOrder order = exif_data_get_byte_order(data.get());
    const long value =
        as_long ? static_cast<long>(exif_get_long(entry->data, order)) : exif_get_short(entry->data, order);
    return value >= 1 && value <= 8 ? value : 1;
}
