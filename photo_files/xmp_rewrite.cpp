#include "photo_files/xmp_rewrite.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "photo_files/photo_metadata.h"

namespace {

struct Replacement {
    std::size_t begin;  // the old value's bytes
    std::size_t end;
    std::string value;
};

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the value of the property at `name_at` lies, in attribute or element form;
// begin == end == npos when the name stands in neither (a closing tag, a longer name).
std::pair<std::size_t, std::size_t> value_span(std::string_view text, std::size_t name_at,
                                               std::size_t name_size)
{
    constexpr auto none = std::pair{std::string_view::npos, std::string_view::npos};
    if (name_at == 0) return none;
    std::size_t i = name_at + name_size;
    if (is_space(text[name_at - 1])) {
        while (i < text.size() && is_space(text[i])) ++i;
        if (i >= text.size() || text[i] != '=') return none;
        ++i;
        while (i < text.size() && is_space(text[i])) ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return none;
        const std::size_t close = text.find(text[i], i + 1);
        return close == std::string_view::npos ? none : std::pair{i + 1, close};
    }
    if (text[name_at - 1] != '<' || i >= text.size() || (text[i] != '>' && !is_space(text[i]))) return none;
    const std::size_t open_end = text.find('>', i);
    if (open_end == std::string_view::npos || text[open_end - 1] == '/') return none;
    // Only a plain text value, closed by the element's own end tag.
    const std::size_t close = text.find('<', open_end + 1);
    if (close == std::string_view::npos || text.substr(close + 1, 1) != "/" ||
        text.substr(close + 2, name_size) != text.substr(name_at, name_size))
        return none;
    return {open_end + 1, close};
}

// Drops up to `excess` whitespace bytes of padding just before the packet's trailer.
void give_up_padding(std::string& text, std::size_t excess)
{
    const std::size_t trailer = text.rfind("<?xpacket end");
    if (trailer == std::string::npos) return;
    std::size_t first = trailer;
    while (first > 0 && trailer - first < excess && is_space(text[first - 1])) --first;
    text.erase(first, trailer - first);
}

}  // namespace

std::vector<std::uint8_t> xmp_for_saved_photo(const std::vector<std::uint8_t>& xmp, int width, int height)
{
    const std::string_view text(reinterpret_cast<const char*>(xmp.data()), xmp.size());
    const std::string w = std::to_string(width), h = std::to_string(height);
    const std::pair<std::string_view, const std::string*> properties[] = {
        {"tiff:Orientation", nullptr}, {"tiff:ImageWidth", &w},      {"tiff:ImageLength", &h},
        {"exif:PixelXDimension", &w},  {"exif:PixelYDimension", &h},
    };
    const std::string one = "1";

    std::vector<Replacement> replacements;
    for (const auto& [name, value] : properties)
        for (std::size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, at + 1)) {
            const auto [begin, end] = value_span(text, at, name.size());
            if (begin != std::string_view::npos) replacements.push_back({begin, end, value ? *value : one});
        }
    if (replacements.empty()) return xmp.size() <= kMaxSegmentPayload ? xmp : std::vector<std::uint8_t>{};
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.begin < b.begin; });

    std::string out;
    out.reserve(text.size() + 16 * replacements.size());
    std::size_t copied = 0;
    for (const Replacement& r : replacements) {
        if (r.begin < copied) continue;  // a name inside another property's value
        out.append(text.substr(copied, r.begin - copied));
        out.append(r.value);
        copied = r.end;
    }
    out.append(text.substr(copied));
    if (out.size() > kMaxSegmentPayload) give_up_padding(out, out.size() - kMaxSegmentPayload);
    if (out.size() > kMaxSegmentPayload) return {};
    return std::vector<std::uint8_t>(out.begin(), out.end());
}
