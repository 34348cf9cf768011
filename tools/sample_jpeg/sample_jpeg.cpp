#include "tools/sample_jpeg/sample_jpeg.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "photo_files/jpeg_error_manager.h"

namespace {

// What one encode owns, released however it ends: a libjpeg error jumps past every
// frame between the library and JpegErrorManager::run.
struct Compressor {
    jpeg_compress_struct cinfo{};
    JpegErrorManager errors;
    unsigned char* out = nullptr;
    unsigned long out_size = 0;

    Compressor() { errors.install(cinfo); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    ~Compressor()
    {
        jpeg_destroy_compress(&cinfo);
        std::free(out);
    }
};

void compress(Compressor& compressor, int width, int height, int components, const std::uint8_t* samples,
              const JpegWriteSettings& settings)
{
    jpeg_compress_struct& cinfo = compressor.cinfo;
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &compressor.out, &compressor.out_size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    if (settings.file_space != JCS_UNKNOWN) jpeg_set_colorspace(&cinfo, settings.file_space);
    if (components == 4) cinfo.write_Adobe_marker = settings.adobe_marker;
    const std::size_t sampled =
        std::min(settings.sampling.size(), static_cast<std::size_t>(cinfo.num_components));
    for (std::size_t c = 0; c < sampled; ++c) {
        cinfo.comp_info[c].h_samp_factor = settings.sampling[c].first;
        cinfo.comp_info[c].v_samp_factor = settings.sampling[c].second;
    }
    if (settings.float_dct) cinfo.dct_method = JDCT_FLOAT;
    cinfo.density_unit = settings.density_unit;
    cinfo.X_density = settings.x_density;
    cinfo.Y_density = settings.y_density;
    jpeg_set_quality(&cinfo, settings.quality, TRUE);
    cinfo.arith_code = settings.arithmetic;
    cinfo.optimize_coding = settings.optimise;
    cinfo.restart_interval = static_cast<unsigned>(settings.restart_interval);
    cinfo.restart_in_rows = settings.restart_in_rows;
    if (!settings.scans.empty()) {
        cinfo.scan_info = settings.scans.data();
        cinfo.num_scans = static_cast<int>(settings.scans.size());
    } else if (settings.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    for (const JpegMarker& marker : settings.markers)
        jpeg_write_marker(&cinfo, marker.code, marker.payload.data(),
                          static_cast<unsigned>(marker.payload.size()));
    if (!settings.icc_profile.empty())
        jpeg_write_icc_profile(&cinfo, settings.icc_profile.data(),
                               static_cast<unsigned>(settings.icc_profile.size()));
    const std::size_t stride = static_cast<std::size_t>(width) * components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
}

}  // namespace

Bytes write_sample_jpeg(int width, int height, int components, const std::uint8_t* samples,
                        const JpegWriteSettings& settings)
{
    Compressor compressor;
    if (!compressor.errors.run([&] { compress(compressor, width, height, components, samples, settings); }))
        throw std::runtime_error("libjpeg cannot write the sample JPEG: " + compressor.errors.message());
    return Bytes(compressor.out, compressor.out + compressor.out_size);
}
