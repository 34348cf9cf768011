#include "tests/photo_files/heif_fixtures.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "engine/bitmap32.h"

bool run_command(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

void write_png(const std::string& png_path, int width, int height, int channels, int maxval,
               const std::vector<std::uint16_t>& samples)
{
    const std::string pam_path = png_path + ".pam";
    {
        std::ofstream pam(pam_path, std::ios::binary);
        pam << "P7\nWIDTH " << width << "\nHEIGHT " << height << "\nDEPTH " << channels << "\nMAXVAL "
            << maxval << "\nTUPLTYPE " << (channels == 4 ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
        for (const std::uint16_t sample : samples) {
            if (maxval > 255) pam.put(static_cast<char>(sample >> 8));
            pam.put(static_cast<char>(sample & 0xFF));
        }
    }
    const std::string format =
        maxval > 255 ? (channels == 4 ? "PNG64" : "PNG48") : (channels == 4 ? "PNG32" : "PNG24");
    if (!run_command("convert " + pam_path + " " + format + ":" + png_path))
        throw std::runtime_error("convert could not make " + png_path);
}

void write_png(const std::string& png_path, const Bitmap32& photo)
{
    std::vector<std::uint16_t> samples;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const std::uint32_t word = photo.pixel(x, y);
            samples.insert(samples.end(), {static_cast<std::uint16_t>(word >> 16 & 0xFF),
                                           static_cast<std::uint16_t>(word >> 8 & 0xFF),
                                           static_cast<std::uint16_t>(word & 0xFF)});
        }
    write_png(png_path, photo.width(), photo.height(), 3, 255, samples);
}

void heif_enc(const std::string& source, const std::string& output, const std::string& options)
{
    if (!run_command("heif-enc " + options + " -o " + output + " " + source + " >/dev/null"))
        throw std::runtime_error("heif-enc could not make " + output);
}

void encode_heic(const Bitmap32& photo, const HeicFeatures& features, const std::string& output)
{
    const auto check = [&](heif_error error) {
        if (error.code != heif_error_Ok) throw std::runtime_error(std::string("libheif: ") + error.message);
    };
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    heif_encoder* raw_encoder = nullptr;
    check(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &raw_encoder));
    const std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> encoder(raw_encoder, heif_encoder_release);
    check(heif_encoder_set_lossy_quality(encoder.get(), 90));
    heif_image* raw_image = nullptr;
    check(heif_image_create(photo.width(), photo.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                            &raw_image));
    const std::unique_ptr<heif_image, void (*)(const heif_image*)> image(raw_image, heif_image_release);
    check(heif_image_add_plane(image.get(), heif_channel_interleaved, photo.width(), photo.height(), 8));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const std::uint32_t word = photo.pixel(x, y);
            std::uint8_t* out = plane + y * stride + 3 * x;
            out[0] = static_cast<std::uint8_t>(word >> 16);
            out[1] = static_cast<std::uint8_t>(word >> 8);
            out[2] = static_cast<std::uint8_t>(word);
        }
    const std::unique_ptr<heif_encoding_options, void (*)(heif_encoding_options*)> options(
        heif_encoding_options_alloc(), heif_encoding_options_free);
    options->image_orientation = static_cast<heif_orientation>(features.orientation);
    const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> nclx(
        heif_nclx_color_profile_alloc(), heif_nclx_color_profile_free);
    if (features.nclx_primaries != 0) {
        check(heif_nclx_color_profile_set_color_primaries(
            nclx.get(), static_cast<std::uint16_t>(features.nclx_primaries)));
        check(heif_nclx_color_profile_set_transfer_characteristics(
            nclx.get(), static_cast<std::uint16_t>(features.nclx_transfer)));
        check(heif_nclx_color_profile_set_matrix_coefficients(nclx.get(), 6));
        nclx->full_range_flag = 1;
        check(heif_image_set_nclx_color_profile(image.get(), nclx.get()));
        options->output_nclx_profile = nclx.get();
        options->macOS_compatibility_workaround_no_nclx_profile = 0;
    }
    heif_image_handle* handle = nullptr;
    check(heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(), &handle));
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> owned(
        handle, heif_image_handle_release);
    if (!features.exif.empty())
        check(heif_context_add_exif_metadata(context.get(), handle, features.exif.data(),
                                             static_cast<int>(features.exif.size())));
    check(heif_context_write_to_file(context.get(), output.c_str()));
}

namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void put(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}

Bytes box(const std::string& type, const Bytes& body)
{
    Bytes out;
    put(out, 8 + body.size(), 4);
    put(out, type);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes full_box(const std::string& type, std::uint32_t version_and_flags, Bytes body)
{
    Bytes header;
    put(header, version_and_flags, 4);
    body.insert(body.begin(), header.begin(), header.end());
    return box(type, body);
}

Bytes joined(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes infe(std::uint32_t id, const std::string& type, bool hidden)
{
    Bytes body;
    put(body, id, 2);
    put(body, 0, 2);
    put(body, type);
    body.push_back(0);
    return full_box("infe", 2u << 24 | (hidden ? 1u : 0u), body);
}

Bytes ispe(std::uint32_t width, std::uint32_t height)
{
    Bytes body;
    put(body, width, 4);
    put(body, height, 4);
    return full_box("ispe", 0, body);
}

}  // namespace

CodedTile coded_tile_of(const std::vector<std::uint8_t>& heic, std::uint32_t width, std::uint32_t height)
{
    const auto body_of = [&](const std::string& type) {
        const auto at = std::search(heic.begin(), heic.end(), type.begin(), type.end());
        if (at == heic.end() || at - heic.begin() < 4) throw std::runtime_error("no " + type + " box");
        const auto start = at - 4;
        const std::size_t size =
            static_cast<std::size_t>(start[0]) << 24 | start[1] << 16 | start[2] << 8 | start[3];
        return Bytes(start, start + static_cast<std::ptrdiff_t>(size));
    };
    CodedTile tile;
    tile.configuration = body_of("hvcC");
    const Bytes mdat = body_of("mdat");
    tile.data.assign(mdat.begin() + 8, mdat.end());
    tile.width = width;
    tile.height = height;
    return tile;
}

std::vector<std::uint8_t> composed_heif(const CodedTile& tile, const ComposedImage& image)
{
    Bytes description;
    const int field = std::max(image.canvas_width, image.canvas_height) > 0xFFFF ? 4 : 2;
    put(description, 0, 1);
    put(description, field == 4 ? 1 : 0, 1);
    if (image.type == "grid") {
        put(description, image.rows - 1, 1);
        put(description, image.columns - 1, 1);
    } else {
        for (const std::uint16_t sample : image.background) put(description, sample, 2);
    }
    put(description, image.canvas_width, field);
    put(description, image.canvas_height, field);
    for (const auto& [x, y] : image.offsets) {
        put(description, static_cast<std::uint32_t>(x), field);
        put(description, static_cast<std::uint32_t>(y), field);
    }

    const Bytes ftyp = box("ftyp", joined({Bytes{'h', 'e', 'i', 'c', 0, 0, 0, 0}, Bytes{'m', 'i', 'f', '1'},
                                           Bytes{'h', 'e', 'i', 'c'}}));
    const auto meta_with_tile_at = [&](std::uint32_t tile_offset) {
        Bytes hdlr(4, 0), pitm, iinf, dimg, ipma, iloc;
        put(hdlr, "pict");
        hdlr.insert(hdlr.end(), 13, 0);
        put(pitm, 1, 2);
        put(iinf, 2, 2);
        iinf = joined({iinf, infe(1, image.type, false), infe(2, image.tile_type, true)});
        put(dimg, 1, 2);
        put(dimg, image.parts.size(), 2);
        for (const std::uint32_t part : image.parts) put(dimg, part, 2);
        // Item 1 has the composed size, item 2 its configuration and the tile's size.
        // A crop is the fourth property, essential to item 1.
        const bool cropped = image.crop_width != 0;
        put(ipma, 2, 4);
        put(ipma, 1, 2), put(ipma, cropped ? 2 : 1, 1), put(ipma, 1, 1);
        if (cropped) put(ipma, 0x84, 1);
        put(ipma, 2, 2), put(ipma, 2, 1), put(ipma, 0x82, 1), put(ipma, 3, 1);
        Bytes crop;
        for (const std::uint32_t value : {image.crop_width, 1u, image.crop_height, 1u, 0u, 1u, 0u, 1u})
            put(crop, value, 4);
        const Bytes ipco =
            box("ipco", joined({ispe(image.claimed_width ? image.claimed_width : image.canvas_width,
                                     image.claimed_height ? image.claimed_height : image.canvas_height),
                                tile.configuration,
                                ispe(image.tile_claimed_width ? image.tile_claimed_width : tile.width,
                                     image.tile_claimed_height ? image.tile_claimed_height : tile.height),
                                cropped ? box("clap", crop) : Bytes{}}));
        // Version 1: the description lies in the idat box, the tile in the mdat box.
        put(iloc, 0x4400, 2);
        put(iloc, 2, 2);
        put(iloc, 1, 2), put(iloc, 1, 2), put(iloc, 0, 2), put(iloc, 1, 2);
        put(iloc, 0, 4), put(iloc, description.size(), 4);
        put(iloc, 2, 2), put(iloc, 0, 2), put(iloc, 0, 2), put(iloc, 1, 2);
        put(iloc, tile_offset, 4), put(iloc, tile.data.size(), 4);
        return full_box("meta", 0,
                        joined({full_box("hdlr", 0, hdlr), full_box("pitm", 0, pitm),
                                full_box("iinf", 0, iinf), full_box("iref", 0, box("dimg", dimg)),
                                box("iprp", joined({ipco, full_box("ipma", 0, ipma)})),
                                full_box("iloc", 1u << 24, iloc), box("idat", description)}));
    };
    const std::size_t tile_offset = ftyp.size() + meta_with_tile_at(0).size() + 8;
    return joined({ftyp, meta_with_tile_at(static_cast<std::uint32_t>(tile_offset)), box("mdat", tile.data)});
}
