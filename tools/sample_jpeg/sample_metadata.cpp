#include "tools/sample_jpeg/sample_metadata.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

enum TiffType : std::uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7 };

struct Field {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    Bytes value;  // in the block's byte order
};

// Writes a TIFF structure directory by directory; each directory's values that do
// not fit its entries follow it.
class TiffWriter {
public:
    explicit TiffWriter(bool big_endian) : big_endian_(big_endian)
    {
        out_ = {'E', 'x', 'i', 'f', 0, 0};
        out_.push_back(big_endian ? 'M' : 'I');
        out_.push_back(big_endian ? 'M' : 'I');
        append16(out_, 42);
        append32(out_, 8);
    }

    void append16(Bytes& out, unsigned value) const
    {
        const std::uint8_t high = static_cast<std::uint8_t>(value >> 8),
                           low = static_cast<std::uint8_t>(value);
        out.insert(out.end(), big_endian_ ? std::initializer_list<std::uint8_t>{high, low}
                                          : std::initializer_list<std::uint8_t>{low, high});
    }
    void append32(Bytes& out, std::uint32_t value) const
    {
        append16(out, big_endian_ ? value >> 16 : value & 0xFFFF);
        append16(out, big_endian_ ? value & 0xFFFF : value >> 16);
    }
    // Overwrites a 32-bit value at a TIFF offset.
    void patch32(std::size_t tiff_offset, std::uint32_t value)
    {
        Bytes bytes;
        append32(bytes, value);
        std::copy(bytes.begin(), bytes.end(), out_.begin() + static_cast<std::ptrdiff_t>(6 + tiff_offset));
    }

    Field ascii(std::uint16_t tag, const std::string& text) const
    {
        Bytes value(text.begin(), text.end());
        value.push_back(0);
        return {tag, kAscii, static_cast<std::uint32_t>(value.size()), value};
    }
    Field shorts(std::uint16_t tag, std::initializer_list<unsigned> values) const
    {
        Bytes value;
        for (const unsigned v : values) append16(value, v);
        return {tag, kShort, static_cast<std::uint32_t>(values.size()), value};
    }
    Field longs(std::uint16_t tag, std::uint32_t v) const
    {
        Bytes value;
        append32(value, v);
        return {tag, kLong, 1, value};
    }
    Field rationals(std::uint16_t tag,
                    std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> values) const
    {
        Bytes value;
        for (const auto& [numerator, denominator] : values)
            append32(value, numerator), append32(value, denominator);
        return {tag, kRational, static_cast<std::uint32_t>(values.size()), value};
    }
    static Field bytes(std::uint16_t tag, std::uint16_t type, Bytes value)
    {
        return {tag, type, static_cast<std::uint32_t>(value.size()), std::move(value)};
    }

    std::size_t size() const { return out_.size() - 6; }

    // Appends a directory; returns where each entry's value (inline or not) stands.
    std::map<std::uint16_t, std::size_t> directory(std::vector<Field> fields)
    {
        std::sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.tag < b.tag; });
        std::size_t data_at = size() + 2 + 12 * fields.size() + 4;
        std::map<std::uint16_t, std::size_t> positions;
        Bytes data;
        append16(out_, static_cast<unsigned>(fields.size()));
        for (const Field& field : fields) {
            append16(out_, field.tag);
            append16(out_, field.type);
            append32(out_, field.count);
            if (field.value.size() <= 4) {
                positions[field.tag] = size();
                Bytes inline_value = field.value;
                inline_value.resize(4, 0);
                out_.insert(out_.end(), inline_value.begin(), inline_value.end());
            } else {
                positions[field.tag] = data_at + data.size();
                append32(out_, static_cast<std::uint32_t>(data_at + data.size()));
                data.insert(data.end(), field.value.begin(), field.value.end());
                if (data.size() % 2 != 0) data.push_back(0);
            }
        }
        append32(out_, 0);
        out_.insert(out_.end(), data.begin(), data.end());
        return positions;
    }
    // The entry of `tag` in the directory at `directory` (a TIFF offset) holds `value`.
    std::size_t entry_value_at(std::size_t directory, std::uint16_t tag) const
    {
        const std::size_t count = read16(directory);
        for (std::size_t i = 0; i < count; ++i)
            if (read16(directory + 2 + 12 * i) == tag) return directory + 2 + 12 * i + 8;
        return 0;
    }

    Bytes& payload() { return out_; }

private:
    unsigned read16(std::size_t tiff_offset) const
    {
        const std::uint8_t* p = out_.data() + 6 + tiff_offset;
        return big_endian_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    }

    bool big_endian_;
    Bytes out_;
};

// The maker note: a directory of its own whose out-of-line values are addressed from
// the TIFF header, so its bytes are only right where they were written.
Bytes maker_note(const TiffWriter& w, std::size_t at, const CameraExifSettings& s)
{
    Bytes note;
    const std::size_t entries = 3 + s.maker_note_longs.size();
    const std::size_t data_at = at + 2 + entries * 12 + 4;
    w.append16(note, static_cast<unsigned>(entries));
    w.append16(note, 0x0001), w.append16(note, kShort), w.append32(note, 6);
    w.append32(note, static_cast<std::uint32_t>(data_at));
    w.append16(note, 0x0002), w.append16(note, kAscii), w.append32(note, 16);
    w.append32(note, static_cast<std::uint32_t>(data_at + 12));
    w.append16(note, 0x0003), w.append16(note, kLong), w.append32(note, 1), w.append32(note, 0x01020304);
    for (const auto& [tag, value] : s.maker_note_longs)
        w.append16(note, tag), w.append16(note, kLong), w.append32(note, 1), w.append32(note, value);
    w.append32(note, 0);
    for (const unsigned v : {7u, 1u, 300u, 42u, 65535u, 9u}) w.append16(note, v);
    const std::string serial = "TX-0001234-5678";
    note.insert(note.end(), serial.begin(), serial.end());
    note.push_back(0);
    for (std::size_t i = 0; i < s.maker_note_padding; ++i)
        note.push_back(static_cast<std::uint8_t>(i * 31 + 7));
    return note;
}

struct CameraLayout {
    Bytes payload;
    ByteSpan maker_note;
};

CameraLayout camera_layout(const CameraExifSettings& s)
{
    TiffWriter w(s.big_endian);
    std::vector<Field> ifd0 = {
        w.ascii(0x010F, s.make),
        w.ascii(0x0110, "TX-100"),
        w.shorts(0x0112, {static_cast<unsigned>(s.orientation)}),
        w.rationals(0x011A, {{300, 1}}),
        w.rationals(0x011B, {{300, 1}}),
        w.shorts(0x0128, {2}),
        w.ascii(0x0131, "TX-100 firmware 1.2"),
        w.ascii(0x0132, "2023:07:14 18:03:22"),
        w.ascii(0x013B, "Aino Virtanen"),
        w.ascii(0x8298, "(c) 2023 Aino Virtanen"),
        w.longs(0x8769, 0),
        w.longs(0x8825, 0),
    };
    if (s.image_size_in_ifd0) {
        ifd0.push_back(w.shorts(0x0100, {static_cast<unsigned>(s.pixel_width)}));
        ifd0.push_back(w.shorts(0x0101, {static_cast<unsigned>(s.pixel_height)}));
    }
    const std::size_t ifd0_at = w.size();
    w.directory(ifd0);

    // The maker note's position is known once the EXIF IFD's entries are counted.
    const std::size_t exif_at = w.size();
    std::vector<Field> exif = {
        w.rationals(0x829A, {{1, 250}}),
        w.rationals(0x829D, {{56, 10}}),
        w.shorts(0x8822, {3}),
        w.shorts(0x8827, {200}),
        TiffWriter::bytes(0x9000, kUndefined, {'0', '2', '3', '2'}),
        w.ascii(0x9003, "2023:07:14 18:03:22"),
        w.ascii(0x9004, "2023:07:14 18:03:22"),
        w.ascii(0x9010, "+02:00"),
        w.rationals(0x920A, {{50, 1}}),
        TiffWriter::bytes(0x927C, kUndefined, {}),
        w.shorts(0xA001, {1}),
        w.shorts(0xA002, {static_cast<unsigned>(s.pixel_width)}),
        w.shorts(0xA003, {static_cast<unsigned>(s.pixel_height)}),
        w.ascii(0xA431, "TX1000234"),
        w.ascii(0xA434, "TX 24-70mm F2.8"),
    };
    // Out-of-line values follow the directory in tag order; the maker note comes
    // after those with lower tags.
    std::size_t note_at = exif_at + 2 + 12 * exif.size() + 4;
    for (const Field& f : exif)
        if (f.tag < 0x927C && f.value.size() > 4) note_at += f.value.size() + f.value.size() % 2;
    Bytes note = maker_note(w, note_at, s);
    const ByteSpan note_span{6 + note_at, note.size()};
    for (Field& f : exif)
        if (f.tag == 0x927C) f = TiffWriter::bytes(0x927C, kUndefined, std::move(note));
    w.directory(exif);
    w.patch32(w.entry_value_at(ifd0_at, 0x8769), static_cast<std::uint32_t>(exif_at));

    const std::size_t gps_at = w.size();
    w.directory({
        TiffWriter::bytes(0x0000, kByte, {2, 3, 0, 0}),
        w.ascii(0x0001, "N"),
        w.rationals(0x0002, {{60, 1}, {9, 1}, {4512, 100}}),
        w.ascii(0x0003, "E"),
        w.rationals(0x0004, {{24, 1}, {57, 1}, {1234, 100}}),
        TiffWriter::bytes(0x0005, kByte, {0}),
        w.rationals(0x0006, {{1550, 100}}),
        w.ascii(0x001D, "2023:07:14"),
    });
    w.patch32(w.entry_value_at(ifd0_at, 0x8825), static_cast<std::uint32_t>(gps_at));

    if (!s.thumbnail.empty()) {
        const std::size_t ifd1_at = w.size();
        w.patch32(ifd0_at + 2 + 12 * ifd0.size(), static_cast<std::uint32_t>(ifd1_at));
        std::vector<Field> ifd1 = {
            w.shorts(0x0103, {6}),
            w.rationals(0x011A, {{72, 1}}),
            w.rationals(0x011B, {{72, 1}}),
            w.shorts(0x0128, {2}),
            w.longs(0x0201, 0),
            w.longs(0x0202, static_cast<std::uint32_t>(s.thumbnail.size())),
        };
        if (s.thumbnail_width > 0) {
            ifd1.push_back(w.shorts(0x0100, {static_cast<unsigned>(s.thumbnail_width)}));
            ifd1.push_back(w.shorts(0x0101, {static_cast<unsigned>(s.thumbnail_height)}));
            ifd1.push_back(w.shorts(0x0112, {static_cast<unsigned>(s.orientation)}));
        }
        w.directory(ifd1);
        w.patch32(w.entry_value_at(ifd1_at, 0x0201), static_cast<std::uint32_t>(w.size()));
        w.payload().insert(w.payload().end(), s.thumbnail.begin(), s.thumbnail.end());
    }
    return {w.payload(), note_span};
}

void append_text(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}

void append_big_endian(Bytes& out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void append_photoshop_resource(Bytes& out, std::uint16_t id, const Bytes& data)
{
    append_text(out, "8BIM");
    append_big_endian(out, id, 2);
    out.insert(out.end(), {0, 0});  // an empty name, padded to an even length
    append_big_endian(out, static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) out.push_back(0);
}

}  // namespace

Bytes camera_exif_payload(const CameraExifSettings& settings)
{
    return camera_layout(settings).payload;
}

ByteSpan camera_exif_maker_note(const CameraExifSettings& settings)
{
    return camera_layout(settings).maker_note;
}

Bytes xmp_payload(bool as_elements, int orientation, int pixel_width, int pixel_height)
{
    const std::string o = std::to_string(orientation), w = std::to_string(pixel_width),
                      h = std::to_string(pixel_height);
    std::string packet =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "  <rdf:Description rdf:about=\"\"\n"
        "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
        "    xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\"\n"
        "    xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"\n"
        "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
        "    xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\"\n"
        "    xmp:Rating=\"4\"\n"
        "    xmp:Label=\"Green\"\n"
        "    xmp:CreateDate=\"2023-07-14T18:03:22+02:00\"\n"
        "    photoshop:City=\"Helsinki\"";
    if (as_elements) {
        packet += ">\n   <tiff:Orientation>" + o + "</tiff:Orientation>\n   <exif:PixelXDimension>" + w +
                  "</exif:PixelXDimension>\n   <exif:PixelYDimension>" + h + "</exif:PixelYDimension>\n";
    } else {
        packet += "\n    tiff:Orientation=\"" + o + "\"\n    exif:PixelXDimension='" + w +
                  "'\n    exif:PixelYDimension = \"" + h + "\">\n";
    }
    packet +=
        "   <dc:subject><rdf:Bag><rdf:li>harbour</rdf:li><rdf:li>evening</rdf:li></rdf:Bag></dc:subject>\n"
        "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Harbour at dusk</rdf:li></rdf:Alt></dc:title>\n"
        "  </rdf:Description>\n"
        " </rdf:RDF>\n"
        "</x:xmpmeta>\n";
    packet += std::string(400, ' ') + "\n<?xpacket end=\"w\"?>";
    Bytes payload;
    append_text(payload, "http://ns.adobe.com/xap/1.0/");
    payload.push_back(0);
    append_text(payload, packet);
    return payload;
}

Bytes iptc_payload(const Bytes& photoshop_thumbnail)
{
    Bytes record;
    auto dataset = [&record](int number, int tag, const std::string& value) {
        record.insert(record.end(),
                      {0x1C, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(tag)});
        append_big_endian(record, static_cast<std::uint32_t>(value.size()), 2);
        append_text(record, value);
    };
    dataset(1, 90, "\x1B%G");  // UTF-8
    dataset(2, 0, std::string("\x00\x04", 2));
    dataset(2, 25, "harbour");
    dataset(2, 25, "evening");
    dataset(2, 55, "20230714");
    dataset(2, 80, "Aino Virtanen");
    dataset(2, 90, "Helsinki");
    dataset(2, 120, "Ferries leaving the harbour at dusk");

    Bytes payload;
    append_text(payload, "Photoshop 3.0");
    payload.push_back(0);
    append_photoshop_resource(payload, 0x0404, record);
    if (!photoshop_thumbnail.empty()) {
        // The thumbnail resource: format 1 (JFIF), sizes, then the JPEG stream.
        Bytes data;
        for (const std::uint32_t field :
             {1u, 160u, 120u, 480u, 57600u, static_cast<std::uint32_t>(photoshop_thumbnail.size())})
            append_big_endian(data, field, 4);
        append_big_endian(data, 24, 2);
        append_big_endian(data, 1, 2);
        data.insert(data.end(), photoshop_thumbnail.begin(), photoshop_thumbnail.end());
        append_photoshop_resource(payload, 0x040C, data);
    }
    return payload;
}
