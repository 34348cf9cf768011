#include "photo_files/heif_composition.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace {

constexpr std::uint32_t fourcc(const char (&name)[5])
{
    return static_cast<std::uint32_t>(name[0]) << 24 | static_cast<std::uint32_t>(name[1]) << 16 |
           static_cast<std::uint32_t>(name[2]) << 8 | static_cast<std::uint32_t>(name[3]);
}

// Pixel counts stop here, so that sums of them cannot overflow.
constexpr std::int64_t kCountCeiling = std::int64_t{1} << 62;

// Two 32-bit sides multiply without overflow in 64 unsigned bits.
std::int64_t pixel_count(std::uint64_t width, std::uint64_t height)
{
    return static_cast<std::int64_t>(std::min<std::uint64_t>(width * height, kCountCeiling));
}

// No photo nests images deeper than an identity of a grid of coded tiles.
constexpr std::size_t kMaxNesting = 16;

// Big-endian fields over a span; a read past its end fails this and every later read.
struct FieldReader {
    const std::uint8_t* at;
    const std::uint8_t* end;
    bool failed = false;

    std::uint64_t read(int bytes)
    {
        if (failed || end - at < bytes) {
            failed = true;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | *at++;
        return value;
    }
    // A field whose width the box states: 0, 4 or 8 bytes, or a failure.
    std::uint64_t read_sized(std::uint64_t bytes)
    {
        if (bytes != 0 && bytes != 4 && bytes != 8) failed = true;
        return read(static_cast<int>(bytes));
    }
};

struct Box {
    std::uint32_t type;
    const std::uint8_t* body;
    const std::uint8_t* end;
};

// The boxes directly inside [begin, end). A box said to reach past the end is taken to
// end there, so that nothing a lenient reader might still find is missed; a box too short
// for its own header ends the list.
std::vector<Box> boxes_in(const std::uint8_t* begin, const std::uint8_t* end)
{
    std::vector<Box> boxes;
    FieldReader in{begin, end};
    while (!in.failed && in.at < end) {
        const std::uint8_t* start = in.at;
        std::uint64_t size = in.read(4);
        const auto type = static_cast<std::uint32_t>(in.read(4));
        if (size == 1) size = in.read(8);
        if (type == fourcc("uuid")) in.read(16);
        const auto room = static_cast<std::uint64_t>(end - start);
        if (size == 0 || size > room) size = room;
        if (in.failed || size < static_cast<std::uint64_t>(in.at - start)) break;
        boxes.push_back({type, in.at, start + size});
        in.at = start + size;
    }
    return boxes;
}

const Box* first_box(const std::vector<Box>& boxes, std::uint32_t type)
{
    const auto found =
        std::find_if(boxes.begin(), boxes.end(), [&](const Box& box) { return box.type == type; });
    return found == boxes.end() ? nullptr : &*found;
}

// A full box's version; its flags go to `flags`.
int full_box_version(FieldReader& in, std::uint32_t* flags = nullptr)
{
    const std::uint64_t word = in.read(4);
    if (flags != nullptr) *flags = static_cast<std::uint32_t>(word & 0xFFFFFF);
    return static_cast<int>(word >> 24);
}

struct Location {
    int method = 0;  // 0: in the file, 1: in the idat box
    std::uint64_t base = 0;
    // Offset and length; a length of 0 reaches to the end.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> extents;
};

// What the file says of its items, each item's first entry winning as in libheif.
struct Items {
    std::uint32_t primary = 0;
    std::map<std::uint32_t, std::uint32_t> types;
    std::set<std::uint32_t> retyped;  // items given two types: whichever libheif takes, none is trusted
    std::map<std::uint32_t, Location> locations;
    std::map<std::uint32_t, std::vector<std::uint32_t>> parts;  // 'dimg' references: tiles and layers
    std::map<std::uint32_t, std::int64_t> stored_pixels;        // the largest 'ispe' each item has
    const std::uint8_t* file = nullptr;
    const std::uint8_t* file_end = nullptr;
    const std::uint8_t* idat = nullptr;
    const std::uint8_t* idat_end = nullptr;
};

void read_item_types(const Box& iinf, Items& items)
{
    FieldReader in{iinf.body, iinf.end};
    in.read(full_box_version(in) == 0 ? 2 : 4);  // the count; the boxes that follow are what counts
    if (in.failed) return;
    for (const Box& infe : boxes_in(in.at, iinf.end)) {
        if (infe.type != fourcc("infe")) continue;
        FieldReader entry{infe.body, infe.end};
        const int version = full_box_version(entry);
        if (version < 2) continue;  // such entries name no item type
        const auto id = static_cast<std::uint32_t>(entry.read(version == 2 ? 2 : 4));
        entry.read(2);  // protection index
        const auto type = static_cast<std::uint32_t>(entry.read(4));
        if (entry.failed) continue;
        const auto [known, added] = items.types.emplace(id, type);
        if (!added && known->second != type) items.retyped.insert(id);
    }
}

void read_item_locations(const Box& iloc, Items& items)
{
    FieldReader in{iloc.body, iloc.end};
    const int version = full_box_version(in);
    const std::uint64_t sizes = in.read(2);
    const std::uint64_t offset_size = sizes >> 12, length_size = sizes >> 8 & 15;
    const std::uint64_t base_offset_size = sizes >> 4 & 15, index_size = version >= 1 ? sizes & 15 : 0;
    const std::uint64_t count = in.read(version < 2 ? 2 : 4);
    for (std::uint64_t i = 0; i < count && !in.failed; ++i) {
        const auto id = static_cast<std::uint32_t>(in.read(version < 2 ? 2 : 4));
        Location location;
        if (version >= 1) location.method = static_cast<int>(in.read(2) & 15);
        in.read(2);  // data reference index
        location.base = in.read_sized(base_offset_size);
        const std::uint64_t extents = in.read(2);
        for (std::uint64_t e = 0; e < extents && !in.failed; ++e) {
            in.read_sized(index_size);
            const std::uint64_t offset = in.read_sized(offset_size);
            location.extents.emplace_back(offset, in.read_sized(length_size));
        }
        if (!in.failed) items.locations.emplace(id, std::move(location));
    }
}

void read_item_parts(const Box& iref, Items& items)
{
    FieldReader in{iref.body, iref.end};
    const int id_size = full_box_version(in) == 0 ? 2 : 4;
    if (in.failed) return;
    for (const Box& reference : boxes_in(in.at, iref.end)) {
        if (reference.type != fourcc("dimg")) continue;
        FieldReader entry{reference.body, reference.end};
        const auto from = static_cast<std::uint32_t>(entry.read(id_size));
        const std::uint64_t count = entry.read(2);
        if (entry.failed) continue;
        std::vector<std::uint32_t> to;
        for (std::uint64_t i = 0; i < count; ++i) {
            const auto part = static_cast<std::uint32_t>(entry.read(id_size));
            // A list that claims more than its box holds still names parts to libheif, which
            // reads on past the box: a part that cannot be read counts as item 0, no item at all.
            to.push_back(entry.failed ? 0 : part);
            if (entry.failed) break;
        }
        items.parts.emplace(from, std::move(to));
    }
}

void read_stored_sizes(const Box& iprp, Items& items)
{
    const std::vector<Box> children = boxes_in(iprp.body, iprp.end);
    const Box* ipco = first_box(children, fourcc("ipco"));
    const Box* ipma = first_box(children, fourcc("ipma"));
    if (ipco == nullptr || ipma == nullptr) return;
    const std::vector<Box> properties = boxes_in(ipco->body, ipco->end);
    FieldReader in{ipma->body, ipma->end};
    std::uint32_t flags = 0;
    const int version = full_box_version(in, &flags);
    const std::uint64_t count = in.read(4);
    for (std::uint64_t i = 0; i < count && !in.failed; ++i) {
        const auto id = static_cast<std::uint32_t>(in.read(version < 1 ? 2 : 4));
        const std::uint64_t associations = in.read(1);
        std::int64_t largest = 0;
        for (std::uint64_t a = 0; a < associations && !in.failed; ++a) {
            const std::uint64_t index = (flags & 1) != 0 ? in.read(2) & 0x7FFF : in.read(1) & 0x7F;
            if (index == 0 || index > properties.size() || properties[index - 1].type != fourcc("ispe"))
                continue;
            FieldReader ispe{properties[index - 1].body, properties[index - 1].end};
            full_box_version(ispe);
            const std::uint64_t width = ispe.read(4), height = ispe.read(4);
            if (!ispe.failed) largest = std::max(largest, pixel_count(width, height));
        }
        if (!in.failed) items.stored_pixels.emplace(id, largest);
    }
}

// The first `wanted` bytes of an item's data, or fewer when its data ends or lies outside the file.
std::vector<std::uint8_t> item_head(const Items& items, std::uint32_t id, std::size_t wanted)
{
    std::vector<std::uint8_t> head;
    const auto found = items.locations.find(id);
    if (found == items.locations.end()) return head;
    const Location& location = found->second;
    const bool in_file = location.method == 0;
    if (!in_file && location.method != 1) return head;
    const std::uint8_t* begin = in_file ? items.file : items.idat;
    const std::uint8_t* end = in_file ? items.file_end : items.idat_end;
    if (begin == nullptr) return head;
    const auto available = static_cast<std::uint64_t>(end - begin);
    for (const auto& [offset, length] : location.extents) {
        const std::uint64_t start = location.base + offset;
        if (start < location.base || start > available) break;
        const std::uint64_t take = std::min<std::uint64_t>(
            {length == 0 ? available - start : length, available - start, wanted - head.size()});
        head.insert(head.end(), begin + start, begin + start + take);
        if (head.size() == wanted || take < length) break;
    }
    return head;
}

struct Canvas {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The canvas a grid or overlay item's data states, as libheif reads it; 0 x 0 for other items.
Canvas declared_canvas(const Items& items, std::uint32_t id)
{
    const auto type = items.types.find(id);
    if (type == items.types.end()) return {};
    const bool grid = type->second == fourcc("grid");
    if (!grid && type->second != fourcc("iovl")) return {};
    // A grid: version, flags, rows, columns, then the size. An overlay: version, flags, a
    // background colour of four 16-bit samples, then the size.
    const std::vector<std::uint8_t> head = item_head(items, id, 18);
    FieldReader in{head.data(), head.data() + head.size()};
    in.read(1);
    const int field = (in.read(1) & 1) != 0 ? 4 : 2;
    in.read(grid ? 2 : 8);
    Canvas canvas;
    canvas.width = static_cast<std::uint32_t>(in.read(field));
    canvas.height = static_cast<std::uint32_t>(in.read(field));
    return in.failed ? Canvas{} : canvas;
}

std::int64_t saturating_add(std::int64_t a, std::int64_t b)
{
    return std::min(kCountCeiling, a + b);
}

bool is_composed_type(std::uint32_t type)
{
    return type == fourcc("grid") || type == fourcc("iovl") || type == fourcc("iden");
}

// Whether libheif holds item `id` as an image it can decode or compose; it asserts, ending the
// program, when a composed image names any other item as a part.
bool is_image(const Items& items, std::uint32_t id)
{
    const auto type = items.types.find(id);
    if (type == items.types.end() || items.retyped.count(id) != 0) return false;
    return type->second == fourcc("hvc1") || type->second == fourcc("av01") || is_composed_type(type->second);
}

// Pixels decoded to build an item: a coded image's stored size, a composed image's canvas
// and all its parts.
struct DecodeCount {
    explicit DecodeCount(const Items& items) : items(items) {}

    const Items& items;
    std::map<std::uint32_t, std::int64_t> counted;
    std::vector<std::uint32_t> path;
    bool endless = false;
    bool missing_part = false;
    std::int64_t largest_part = 0;

    std::int64_t pixels_of(std::uint32_t id)
    {
        if (const auto known = counted.find(id); known != counted.end()) return known->second;
        if (std::find(path.begin(), path.end(), id) != path.end() || path.size() >= kMaxNesting) {
            endless = true;
            return 0;
        }
        const auto type = items.types.find(id);
        const bool composed = type != items.types.end() && is_composed_type(type->second);
        std::int64_t pixels = 0;
        if (!composed) {
            // A coded image is decoded at its own size whatever it may refer to.
            if (const auto stored = items.stored_pixels.find(id); stored != items.stored_pixels.end())
                pixels = stored->second;
        } else {
            const Canvas canvas = declared_canvas(items, id);
            pixels = pixel_count(canvas.width, canvas.height);
            if (const auto parts = items.parts.find(id); parts != items.parts.end()) {
                path.push_back(id);
                for (const std::uint32_t part : parts->second) {
                    missing_part = missing_part || !is_image(items, part);
                    const std::int64_t part_pixels = pixels_of(part);
                    largest_part = std::max(largest_part, part_pixels);
                    pixels = saturating_add(pixels, part_pixels);
                }
                path.pop_back();
            }
        }
        counted.emplace(id, pixels);
        return pixels;
    }
};

HeifComposition composition_in(const Box& meta, const std::uint8_t* data, std::size_t size)
{
    HeifComposition composition;
    FieldReader meta_header{meta.body, meta.end};
    full_box_version(meta_header);
    if (meta_header.failed) return composition;
    const std::vector<Box> boxes = boxes_in(meta_header.at, meta.end);

    Items items;
    items.file = data;
    items.file_end = data + size;
    if (const Box* idat = first_box(boxes, fourcc("idat")))
        items.idat = idat->body, items.idat_end = idat->end;
    if (const Box* pitm = first_box(boxes, fourcc("pitm"))) {
        FieldReader in{pitm->body, pitm->end};
        items.primary = static_cast<std::uint32_t>(in.read(full_box_version(in) == 0 ? 2 : 4));
    }
    if (const Box* iinf = first_box(boxes, fourcc("iinf"))) read_item_types(*iinf, items);
    if (const Box* iloc = first_box(boxes, fourcc("iloc"))) read_item_locations(*iloc, items);
    if (const Box* iref = first_box(boxes, fourcc("iref"))) read_item_parts(*iref, items);
    if (const Box* iprp = first_box(boxes, fourcc("iprp"))) read_stored_sizes(*iprp, items);

    for (const auto& item : items.types) {
        const Canvas canvas = declared_canvas(items, item.first);
        const std::int64_t pixels = pixel_count(canvas.width, canvas.height);
        if (pixels > composition.canvas_pixels) {
            composition.canvas_width = canvas.width;
            composition.canvas_height = canvas.height;
            composition.canvas_pixels = pixels;
        }
    }
    // Every image is looked at, not only the primary one: libheif composes an alpha image's
    // parts too.
    DecodeCount count(items);
    composition.decoded_pixels = count.pixels_of(items.primary);
    for (const auto& item : items.types) count.pixels_of(item.first);
    composition.endless = count.endless;
    composition.missing_part = count.missing_part;
    composition.largest_part_pixels = count.largest_part;
    return composition;
}

}  // namespace

HeifComposition read_heif_composition(const std::uint8_t* data, std::size_t size)
{
    // libheif takes the last 'meta' box of the file where other readers take the first: all count.
    HeifComposition composition;
    for (const Box& box : boxes_in(data, data + size)) {
        if (box.type != fourcc("meta")) continue;
        const HeifComposition found = composition_in(box, data, size);
        if (found.canvas_pixels > composition.canvas_pixels) {
            composition.canvas_width = found.canvas_width;
            composition.canvas_height = found.canvas_height;
            composition.canvas_pixels = found.canvas_pixels;
        }
        composition.decoded_pixels = std::max(composition.decoded_pixels, found.decoded_pixels);
        composition.largest_part_pixels =
            std::max(composition.largest_part_pixels, found.largest_part_pixels);
        composition.endless = composition.endless || found.endless;
        composition.missing_part = composition.missing_part || found.missing_part;
    }
    return composition;
}
