// Reads arbitrary bytes as a photo's colour profile, the way the views and the CMYK decode
// read one: as an embedded RGB profile, as a CMYK profile to convert pixels through, and
// as an EXIF block that may mark the photo Adobe RGB. A finding is any crash, sanitizer
// report or leak, a profile that comes back changed instead of whole or empty, or a CMYK
// conversion that leaves a pixel transparent.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "photo_files/cmyk_to_srgb.h"
#include "photo_files/colour_profile.h"
#include "photo_files/photo_metadata.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PhotoMetadata metadata;
    metadata.icc_profile.assign(data, data + size);
    const IccProfile shown = shown_colour_profile(metadata);
    fuzz::check(shown.empty() || shown == metadata.icc_profile,
                "a shown profile is neither sRGB nor the photo's");

    metadata.exif = metadata.icc_profile;
    metadata.icc_profile.clear();
    const IccProfile marked = shown_colour_profile(metadata);
    fuzz::check(marked.empty() || marked == adobe_rgb_profile(), "an EXIF block gave a profile of its own");

    // Every byte value in every ink, so that the table's corners and edges are all read.
    std::vector<std::uint32_t> row(256);
    for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = static_cast<std::uint32_t>(i * 0x01010101u ^ i << 8);
    for (const bool inverted : {false, true}) {
        const auto cmyk = CmykToSrgb::through(data, size, inverted);
        if (!cmyk) continue;
        std::vector<std::uint32_t> converted = row;
        cmyk->convert_row(converted.data(), static_cast<int>(converted.size()));
        for (std::uint32_t word : converted)
            fuzz::check(word >> 24 == 0xFF, "a converted CMYK pixel is not opaque");
    }
    return 0;
}
