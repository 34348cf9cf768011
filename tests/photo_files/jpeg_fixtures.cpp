#include "tests/photo_files/jpeg_fixtures.h"

#include <algorithm>

#include "photo_files/jpeg_photo.h"

TestImage colour_image(int width, int height)
{
    TestImage image{width, height, 3, Bytes(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
            p[2] = static_cast<std::uint8_t>(((x + y) * 7 + (x * y) % 13) & 0xFF);
        }
    return image;
}

TestImage gray_image(int width, int height)
{
    TestImage image{width, height, 1, Bytes(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) *image.pixel(x, y) = static_cast<std::uint8_t>(x * 255 / (width - 1));
    return image;
}

TestImage quadrant_image(int width, int height)
{
    static constexpr std::uint8_t kColours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    TestImage image{width, height, 3, Bytes(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int quadrant = (y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1);
            std::copy(kColours[quadrant], kColours[quadrant] + 3, image.pixel(x, y));
        }
    return image;
}

TestImage flat_cmyk_image(int width, int height, const std::uint8_t cmyk[4])
{
    TestImage image{width, height, 4, Bytes(static_cast<std::size_t>(width) * height * 4)};
    for (std::size_t i = 0; i < image.samples.size(); ++i) image.samples[i] = cmyk[i % 4];
    return image;
}

Bytes encode_test_jpeg(const TestImage& image, const EncodeOptions& options)
{
    return write_sample_jpeg(image.width, image.height, image.components, image.samples.data(), options);
}

BareDecompressor::BareDecompressor()
{
    errors_.install(cinfo);
    run([this] { jpeg_create_decompress(&cinfo); });
}

BareDecompressor::~BareDecompressor()
{
    jpeg_destroy_decompress(&cinfo);
}

TestImage decode_reference(const Bytes& jpeg)
{
    BareDecompressor reference;
    jpeg_decompress_struct& cinfo = reference.cinfo;
    TestImage image;
    reference.run([&] {
        jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.dct_method = JDCT_FLOAT;
        cinfo.do_block_smoothing = TRUE;
        const bool gray = cinfo.num_components == 1;
        if (gray) {
            cinfo.quantize_colors = TRUE;
            cinfo.desired_number_of_colors = 236;
        } else {
            cinfo.out_color_space = JCS_RGB;
        }
        jpeg_start_decompress(&cinfo);
        image.width = static_cast<int>(cinfo.output_width);
        image.height = static_cast<int>(cinfo.output_height);
        image.components = gray ? 1 : 3;
        image.samples.resize(static_cast<std::size_t>(image.width) * image.height * image.components);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = image.pixel(0, static_cast<int>(cinfo.output_scanline));
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        if (gray)
            for (auto& sample : image.samples) sample = cinfo.colormap[0][sample];
        jpeg_finish_decompress(&cinfo);
    });
    return image;
}

Bytes exif_orientation_payload(int orientation, bool big_endian)
{
    const auto value = static_cast<std::uint8_t>(orientation);
    if (big_endian)
        return {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0, 0x2A,  0, 0, 0, 8,  // TIFF header, first IFD at 8
                0,    1,                                                     // one entry
                0x01, 0x12, 0,   3,   0, 0, 0,   1,   0, value, 0, 0,        // orientation, SHORT, 1 value
                0,    0,    0,   0};                                         // no next IFD
    return {'E',  'x',  'i', 'f', 0, 0, 'I', 'I', 0x2A,  0, 8, 0, 0, 0, 1, 0,
            0x12, 0x01, 3,   0,   1, 0, 0,   0,   value, 0, 0, 0, 0, 0, 0, 0};
}

std::vector<jpeg_scan_info> many_scan_script(int bands, int bit_steps)
{
    std::vector<jpeg_scan_info> scans;
    jpeg_scan_info dc{};
    dc.comps_in_scan = 1;
    scans.push_back(dc);
    for (int band = 0; band < bands; ++band) {
        jpeg_scan_info scan{};
        scan.comps_in_scan = 1;
        scan.Ss = 1 + band * 63 / bands;
        scan.Se = (band + 1) * 63 / bands;
        scan.Ah = 0;
        scan.Al = bit_steps - 1;
        scans.push_back(scan);
        for (int bit = bit_steps - 1; bit > 0; --bit) {
            scan.Ah = bit;
            scan.Al = bit - 1;
            scans.push_back(scan);
        }
    }
    return scans;
}

int count_scans(const Bytes& jpeg)
{
    int scans = 0;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) ++scans;
    return scans;
}

std::size_t find_marker(const Bytes& jpeg, std::uint8_t code)
{
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
    return std::string::npos;
}

std::string load_outcome(const std::string& path, Bitmap32& photo)
{
    LoadOutcome failure;
    if (load_photo(path, photo, nullptr, &failure)) return "loaded";
    return load_failure_text(failure);
}
