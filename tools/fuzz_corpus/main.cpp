// Writes the seed photos the loader's fuzzers start from: one small file for each
// kind of JPEG the loader has a separate road for (sampling, progression, colour
// space, restart markers, EXIF orientation, ICC profile chunks, arithmetic coding),
// two with a camera's full set of metadata, makers' own segments, a multi-picture
// index and maker-note pointers to data after the image, and a few cut short. The output is the
// same byte for byte on every run, so the committed corpus can be remade and compared.
//
// Usage: fuzz_corpus <output folder>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/sample_jpeg/sample_jpeg.h"
#include "tools/sample_jpeg/sample_metadata.h"

namespace {

struct Image {
    int width = 0;
    int height = 0;
    int components = 3;
    Bytes samples;  // interleaved, rows from the top
};

// Ramps with a little deterministic noise: enough detail that every coefficient
// band carries data, so progressive refinement scans are not empty.
Image pattern(int width, int height, int components)
{
    Image image{width, height, components, Bytes(static_cast<std::size_t>(width) * height * components)};
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) {
                noise = noise * 1103515245u + 12345u;
                const int ramp = c == 0   ? x * 255 / (width > 1 ? width - 1 : 1)
                                 : c == 1 ? y * 255 / (height > 1 ? height - 1 : 1)
                                          : ((x + y) * 9) & 0xFF;
                const int level = ramp + static_cast<int>((noise >> 16) % 24) - 12;
                image.samples[(static_cast<std::size_t>(y) * width + x) * components + c] =
                    static_cast<std::uint8_t>(level < 0     ? 0
                                              : level > 255 ? 255
                                                            : level);
            }
    return image;
}

// The seeds are written at quality 85 unless a file says otherwise.
struct Settings : JpegWriteSettings {
    Settings() { quality = 85; }
};

Bytes encode(const Image& image, const Settings& settings)
{
    return write_sample_jpeg(image.width, image.height, image.components, image.samples.data(), settings);
}

// A TIFF structure in either byte order, built entry by entry.
class TiffWriter {
public:
    explicit TiffWriter(bool big_endian) : big_endian_(big_endian) {}
    void u16(Bytes& out, unsigned value) const
    {
        if (big_endian_) {
            out.push_back(static_cast<std::uint8_t>(value >> 8));
            out.push_back(static_cast<std::uint8_t>(value));
        } else {
            out.push_back(static_cast<std::uint8_t>(value));
            out.push_back(static_cast<std::uint8_t>(value >> 8));
        }
    }
    void u32(Bytes& out, std::uint32_t value) const
    {
        if (big_endian_) {
            u16(out, value >> 16);
            u16(out, value & 0xFFFF);
        } else {
            u16(out, value & 0xFFFF);
            u16(out, value >> 16);
        }
    }

private:
    bool big_endian_;
};

// An EXIF APP1 payload like a phone writes: orientation, make, resolution and a
// pointer to an EXIF sub-IFD with the date taken, so the parser walks offsets too.
Bytes exif_payload(int orientation, bool big_endian)
{
    const TiffWriter w(big_endian);
    Bytes tiff;
    tiff.insert(tiff.end(), big_endian ? "MM" : "II", (big_endian ? "MM" : "II") + 2);
    w.u16(tiff, 42);
    w.u32(tiff, 8);
    // IFD0 at 8: 4 entries (12 bytes each) + next-IFD offset; data follows at 8 + 2 + 48 + 4 = 62.
    const std::uint32_t make_at = 62, resolution_at = make_at + 8, sub_ifd_at = resolution_at + 8;
    w.u16(tiff, 4);
    w.u16(tiff, 0x010F), w.u16(tiff, 2), w.u32(tiff, 8), w.u32(tiff, make_at);  // Make, ASCII
    w.u16(tiff, 0x0112), w.u16(tiff, 3), w.u32(tiff, 1);                        // Orientation, SHORT
    w.u16(tiff, static_cast<unsigned>(orientation)), w.u16(tiff, 0);
    w.u16(tiff, 0x011A), w.u16(tiff, 5), w.u32(tiff, 1), w.u32(tiff, resolution_at);  // XResolution
    w.u16(tiff, 0x8769), w.u16(tiff, 4), w.u32(tiff, 1), w.u32(tiff, sub_ifd_at);     // EXIF IFD pointer
    w.u32(tiff, 0);
    const char make[8] = "Tintelo";
    tiff.insert(tiff.end(), make, make + 8);
    w.u32(tiff, 72), w.u32(tiff, 1);
    // The sub-IFD: one entry, DateTimeOriginal (20 ASCII bytes) right after it.
    w.u16(tiff, 1);
    w.u16(tiff, 0x9003), w.u16(tiff, 2), w.u32(tiff, 20), w.u32(tiff, sub_ifd_at + 2 + 12 + 4);
    w.u32(tiff, 0);
    const char date[20] = "2004:06:21 12:00:00";
    tiff.insert(tiff.end(), date, date + 20);

    Bytes payload(6 + tiff.size());
    std::memcpy(payload.data(), "Exif\0\0", 6);
    std::copy(tiff.begin(), tiff.end(), payload.begin() + 6);
    return payload;
}

Bytes xmp_payload()
{
    const std::string text = "http://ns.adobe.com/xap/1.0/";
    Bytes payload(text.begin(), text.end());
    payload.push_back(0);
    const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>";
    payload.insert(payload.end(), packet.begin(), packet.end());
    return payload;
}

// A profile-shaped block: the header fields a colour-managed viewer checks, then filler.
Bytes icc_profile(std::size_t size)
{
    Bytes profile(size);
    for (std::size_t i = 0; i < size; ++i) profile[i] = static_cast<std::uint8_t>(i * 7 + 3);
    profile[0] = static_cast<std::uint8_t>(size >> 24);
    profile[1] = static_cast<std::uint8_t>(size >> 16);
    profile[2] = static_cast<std::uint8_t>(size >> 8);
    profile[3] = static_cast<std::uint8_t>(size);
    std::memcpy(&profile[12], "mntrRGB XYZ ", 12);
    std::memcpy(&profile[36], "acsp", 4);
    return profile;
}

// The APP2 chunks that carry `profile` in `chunks` pieces, numbered from 1.
std::vector<JpegMarker> icc_markers(const Bytes& profile, int chunks)
{
    std::vector<JpegMarker> markers;
    const std::size_t piece = (profile.size() + chunks - 1) / chunks;
    for (int i = 0; i < chunks; ++i) {
        JpegMarker marker{JPEG_APP0 + 2, {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0}};
        marker.payload.push_back(static_cast<std::uint8_t>(i + 1));
        marker.payload.push_back(static_cast<std::uint8_t>(chunks));
        const std::size_t begin = i * piece, end = std::min(profile.size(), begin + piece);
        marker.payload.insert(marker.payload.end(), profile.begin() + begin, profile.begin() + end);
        markers.push_back(marker);
    }
    return markers;
}

jpeg_scan_info scan(int components, int first, int ss, int se, int ah, int al)
{
    jpeg_scan_info info{};
    info.comps_in_scan = components;
    for (int c = 0; c < components; ++c) info.component_index[c] = first + c;
    info.Ss = ss;
    info.Se = se;
    info.Ah = ah;
    info.Al = al;
    return info;
}

std::size_t find_marker(const Bytes& jpeg, std::uint8_t code)
{
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
    return jpeg.size();
}

Bytes cut(const Bytes& jpeg, std::size_t size)
{
    return Bytes(jpeg.begin(), jpeg.begin() + std::min(size, jpeg.size()));
}

// Puts `value` at `at`, in the byte order of the TIFF structure that holds it.
void put32(Bytes& bytes, std::size_t at, std::uint32_t value, bool big_endian)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (big_endian ? 3 - i : i)));
}

std::size_t find(const Bytes& bytes, const Bytes& what)
{
    return static_cast<std::size_t>(std::search(bytes.begin(), bytes.end(), what.begin(), what.end()) -
                                    bytes.begin());
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An APP2 multi-picture index: the photo itself and one image after the end of image,
// whose offset (from the index's TIFF header) and size the caller fills in at 4 + 58 and 4 + 54.
Bytes mpf_index()
{
    Bytes index = text(std::string("MPF\0II*\0\x08\0\0\0\x02\0", 14));
    const Bytes entries = {0x00, 0xB0, 7, 0, 4,  0, 0, 0, '0', '1', '0', '0',
                           0x02, 0xB0, 7, 0, 32, 0, 0, 0, 38,  0,   0,   0};
    index.insert(index.end(), entries.begin(), entries.end());
    index.resize(4 + 38 + 32, 0);  // the next-IFD link, then two 16-byte image entries
    put32(index, 4 + 38, 0x20030000, false);
    return index;
}

// The maker note's first LONG of `settings.maker_note_longs`, in a payload found in `file`.
std::size_t first_maker_long(const Bytes& file, const Bytes& payload, const CameraExifSettings& settings)
{
    return find(file, Bytes(payload.begin(), payload.begin() + 40)) +
           camera_exif_maker_note(settings).offset + 2 + 3 * 12 + 8;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_corpus <output folder>\n";
        return 2;
    }
    const std::string folder = argv[1];
    int failures = 0;
    auto write = [&](const std::string& name, const Bytes& bytes) {
        std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::cerr << "cannot write " << folder << "/" << name << "\n";
            ++failures;
        }
    };

    const Image colour = pattern(48, 32, 3);
    const Image odd = pattern(33, 17, 3);
    const Image grey = pattern(40, 24, 1);
    const Image cmyk = pattern(20, 20, 4);
    const Image portrait = pattern(24, 16, 3);  // not square, so every turn shows

    const Bytes baseline = encode(colour, {});
    write("baseline_420.jpg", baseline);
    {
        Settings s;
        s.quality = 50;
        s.sampling = {{1, 1}, {1, 1}, {1, 1}};
        write("baseline_444_odd_size.jpg", encode(odd, s));
    }
    {
        Settings s;
        s.sampling = {{2, 1}, {1, 1}, {1, 1}};
        s.optimise = true;
        write("baseline_422_optimised.jpg", encode(odd, s));
    }
    {
        Settings s;
        s.sampling = {{1, 2}, {1, 1}, {1, 1}};
        write("baseline_440.jpg", encode(colour, s));
    }
    {
        Settings s;
        s.file_space = JCS_RGB;
        write("rgb_components.jpg", encode(colour, s));
    }
    const Bytes progressive = [&] {
        Settings s;
        s.progressive = true;
        return encode(colour, s);
    }();
    write("progressive.jpg", progressive);
    {
        Settings s;
        s.progressive = true;
        write("progressive_grey.jpg", encode(grey, s));
    }
    write("grey.jpg", encode(grey, {}));
    {
        // Sequential, but each component in its own scan: the decoder buffers the whole photo.
        Settings s;
        s.scans = {scan(1, 0, 0, 63, 0, 0), scan(1, 1, 0, 63, 0, 0), scan(1, 2, 0, 63, 0, 0)};
        write("sequential_scan_per_component.jpg", encode(colour, s));
    }
    {
        Settings s;
        s.arithmetic = true;
        write("arithmetic.jpg", encode(colour, s));
        s.progressive = true;
        write("arithmetic_progressive.jpg", encode(colour, s));
    }
    {
        Settings s;
        s.file_space = JCS_CMYK;
        write("cmyk_adobe.jpg", encode(cmyk, s));
        s.file_space = JCS_YCCK;
        write("ycck_adobe.jpg", encode(cmyk, s));
        s.file_space = JCS_CMYK;
        s.adobe_marker = false;
        write("cmyk_plain.jpg", encode(cmyk, s));
    }
    {
        Settings s;
        s.restart_interval = 1;
        write("restart_every_mcu.jpg", encode(odd, s));
        s.restart_interval = 0;
        s.restart_in_rows = 1;
        s.progressive = true;
        write("restart_progressive.jpg", encode(odd, s));
    }
    {
        Settings s;
        s.markers = {{JPEG_APP0 + 1, exif_payload(6, false)}};
        write("exif_orientation_6_little_endian.jpg", encode(portrait, s));
        s.markers = {{JPEG_APP0 + 1, exif_payload(3, true)}};
        write("exif_orientation_3_big_endian.jpg", encode(portrait, s));
        s.markers = {{JPEG_APP0 + 1, exif_payload(5, true)}};
        write("exif_orientation_5_big_endian.jpg", encode(portrait, s));
        s.markers = {{JPEG_APP0 + 1, xmp_payload()}, {JPEG_APP0 + 1, exif_payload(8, false)}};
        s.progressive = true;
        write("exif_orientation_8_after_xmp.jpg", encode(portrait, s));
    }
    {
        Settings s;
        s.markers = icc_markers(icc_profile(300), 1);
        write("icc_one_chunk.jpg", encode(odd, s));
        s.markers = icc_markers(icc_profile(500), 3);
        write("icc_three_chunks.jpg", encode(odd, s));
    }
    {
        const std::string text = "made for the fuzzers";
        Settings s;
        s.markers = {{JPEG_COM, Bytes(text.begin(), text.end())}};
        write("comment.jpg", encode(pattern(1, 1, 3), s));
    }
    write("wide_strip.jpg", encode(pattern(300, 1, 3), {}));
    {
        // Metadata as cameras and photo libraries lay it out: EXIF with a maker note,
        // GPS and a thumbnail, XMP (attributes or elements, one with an extension part),
        // IPTC with a Photoshop thumbnail, comments, an ICC profile and a print density.
        const Bytes thumbnail = encode(pattern(8, 6, 3), {});
        CameraExifSettings exif;
        exif.orientation = 6;
        exif.pixel_width = portrait.width;
        exif.pixel_height = portrait.height;
        exif.thumbnail = thumbnail;
        Settings s;
        s.density_unit = 1;
        s.x_density = s.y_density = 300;
        s.markers = {{JPEG_APP0 + 1, camera_exif_payload(exif)},
                     {JPEG_APP0 + 1, xmp_payload(false, 6, portrait.width, portrait.height)},
                     {JPEG_APP0 + 13, iptc_payload(thumbnail)},
                     {JPEG_COM, {'h', 'a', 'r', 'b', 'o', 'u', 'r'}}};
        s.icc_profile = icc_profile(300);
        write("metadata_camera_little_endian.jpg", encode(portrait, s));

        exif.big_endian = true;
        exif.orientation = 8;
        exif.image_size_in_ifd0 = true;
        Bytes extension;
        const std::string extension_header = "http://ns.adobe.com/xmp/extension/";
        extension.insert(extension.end(), extension_header.begin(), extension_header.end());
        extension.push_back(0);
        extension.insert(extension.end(), 32, 'A');                    // the GUID, in hex
        extension.insert(extension.end(), {0, 0, 0, 16, 0, 0, 0, 0});  // full length, this part's offset
        const std::string part = "<rdf:Bag></rdf:Bag>";
        extension.insert(extension.end(), part.begin(), part.begin() + 16);
        s = Settings{};
        s.markers = {{JPEG_APP0 + 1, camera_exif_payload(exif)},
                     {JPEG_APP0 + 1, xmp_payload(true, 8, portrait.width, portrait.height)},
                     {JPEG_APP0 + 1, extension},
                     {JPEG_APP0 + 13, iptc_payload()}};
        write("metadata_camera_big_endian_xmp_elements.jpg", encode(portrait, s));
    }

    {
        // Makers' own segments, kept byte for byte, and those dropped on saving.
        Settings s;
        s.markers = {{JPEG_APP0 + 6, text("GoPro") + Bytes(24, 0x61)},
                     {JPEG_APP0 + 1, text(std::string("FLIR\0\1\2", 7)) + Bytes(24, 0x33)},
                     {JPEG_APP0 + 5, text("RMETA") + Bytes(16, 0x07)},
                     {JPEG_APP0 + 2, text(std::string("FPXR\0", 5)) + Bytes(16, 0x11)},
                     {JPEG_APP0 + 4, text("QVCI") + Bytes(16, 0x09)},
                     {JPEG_APP0, text(std::string("JFXX\0\x13", 6))},
                     {JPEG_APP0 + 14, text("Adobe") + Bytes(7, 0)}};
        write("vendor_segments.jpg", encode(odd, s));

        // A multi-picture index whose second image follows the end of image, then a photo
        // tool's IPTC trailer.
        const Bytes second = encode(pattern(8, 8, 3), {});
        s.markers = {{JPEG_APP0 + 2, mpf_index()}};
        Bytes file = encode(odd, s);
        const std::size_t index = find(file, text(std::string("MPF\0", 4))) + 4;
        put32(file, index + 38 + 16 + 4, static_cast<std::uint32_t>(second.size()), false);
        put32(file, index + 38 + 16 + 8, static_cast<std::uint32_t>(file.size() - index), false);
        const Bytes iptc_trailer = text("8BIM....IPTC record kept by a photo tool....cbipcbbl");
        write("mpf_second_image_after_the_end.jpg", file + second + iptc_trailer);

        // Maker notes pointing past the end of image: Canon's decision data (from the
        // file's start) and a Sony preview (from the TIFF header), each before an IPTC trailer.
        CameraExifSettings exif;
        exif.make = "Canon";
        exif.maker_note_longs = {{0x0083, 0}};
        Bytes payload = camera_exif_payload(exif);
        s.markers = {{JPEG_APP0 + 1, payload}};
        file = encode(portrait, s);
        put32(file, first_maker_long(file, payload, exif), static_cast<std::uint32_t>(file.size()), false);
        const Bytes decision =
            Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1} + Bytes(20, 0x5C) + Bytes{0, 0, 0, 1} + Bytes(32, 0x3C);
        write("trailer_canon_decision_data.jpg", file + decision + iptc_trailer);

        exif.make = "SONY";
        exif.maker_note_longs = {{0x0088, 0}, {0x0089, static_cast<std::uint32_t>(second.size())}};
        payload = camera_exif_payload(exif);
        s.markers = {{JPEG_APP0 + 1, payload}};
        file = encode(portrait, s);
        const std::size_t tiff_start = find(file, Bytes(payload.begin(), payload.begin() + 40)) + 6;
        put32(file, first_maker_long(file, payload, exif),
              static_cast<std::uint32_t>(file.size() - tiff_start), false);
        write("trailer_sony_preview.jpg", file + second + iptc_trailer);
    }

    // Cut short: in the image data (the library completes the photo itself), in the
    // header, right after the start of the first scan, and after the start marker alone.
    const std::size_t first_scan = find_marker(baseline, 0xDA);
    write("truncated_in_image_data.jpg", cut(baseline, first_scan + (baseline.size() - first_scan) / 2));
    write("truncated_progressive.jpg", cut(progressive, progressive.size() / 3));
    write("truncated_in_header.jpg", cut(baseline, 60));
    write("truncated_after_scan_header.jpg", cut(baseline, first_scan + 14));
    write("start_marker_only.jpg", cut(baseline, 2));
    return failures == 0 ? 0 : 1;
}
