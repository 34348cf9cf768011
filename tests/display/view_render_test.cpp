#include "display/view_render.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <thread>
#include <vector>

#include "engine/row_pool.h"
#include "tests/display/display_test_support.h"

namespace {

// While set, allocations on any other thread than `allocating_thread` are counted.
std::atomic<bool> counting_allocations{false};
std::thread::id allocating_thread;
std::atomic<int> allocations_elsewhere{0};

}  // namespace

// Every allocation of this test program comes here, so a test can see which thread asked.
void* operator new(std::size_t size)
{
    if (counting_allocations.load() && std::this_thread::get_id() != allocating_thread)
        allocations_elsewhere.fetch_add(1);
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

namespace {

constexpr std::uint32_t kBackground = 0xC9C9C9;

// Renders `photo` into a view of the given size and returns its words.
std::vector<std::uint32_t> render(const Bitmap32& photo, int view_width, int view_height, float scale,
                                  float dx = 0, float dy = 0)
{
    ViewGeometry geometry(view_width, view_height);
    geometry.set_scale(scale);
    geometry.set_photo_size(photo.width(), photo.height());
    geometry.scroll_by(dx, dy);
    std::vector<std::uint32_t> words(static_cast<std::size_t>(view_width) * view_height, 0x12345678);
    render_view(photo, geometry, kBackground, words.data(), view_width);
    return words;
}

TEST(ViewRender, ScaleOneCopiesThePixelsAndFillsTheRestWithTheBackground)
{
    Bitmap32 photo;
    fill_with_coordinates(photo, 5, 4);
    const auto words = render(photo, 9, 8, 1.0f);  // photo at (2, 2)
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 2 && y < 6;
            EXPECT_EQ(words[y * 9 + x], inside ? photo.pixel(x - 2, y - 2) : 0xFF000000u | kBackground)
                << x << "," << y;
        }
}

TEST(ViewRender, ScrolledPhotoShowsThePhotoPixelsUnderTheView)
{
    Bitmap32 photo;
    fill_with_coordinates(photo, 1000, 700);
    const auto words = render(photo, 420, 320, 1.0f, -100, 45);  // scroll (190, 235)
    for (int y : {0, 100, 319})
        for (int x : {0, 211, 419}) {
            EXPECT_EQ(coordinate_x(words[y * 420 + x]), x + 190);
            EXPECT_EQ(coordinate_y(words[y * 420 + x]), y + 235);
        }
}

TEST(ViewRender, ReductionAveragesEachFootprint)
{
    Bitmap32 photo;
    photo.set_size(4, 2);
    const std::uint32_t levels[8] = {0xFF000000, 0xFF0A1420, 0xFF646464, 0xFFC8C8C8,
                                     0xFF020406, 0xFF080A0C, 0xFFFFFFFF, 0xFF000000};
    for (int k = 0; k < 8; ++k) photo.pixels()[k] = levels[k];
    const auto words = render(photo, 2, 1, 0.5f);
    // Left footprint: 0, 0A1420, 020406, 080A0C; right: 646464, C8C8C8, FFFFFF, 0.
    EXPECT_EQ(words[0], 0xFF05090Du);  // red 20/4, green 34/4 and blue 50/4 rounded
    EXPECT_EQ(words[1], 0xFF8B8B8Bu);  // (100+200+255+0)/4 = 138.75
}

TEST(ViewRender, UniformPhotoStaysUniformAtEveryReductionWithoutOverflow)
{
    Bitmap32 photo;
    struct Case {
        int width, height;
        float scale;
    };
    // 750 x 750 photo pixels per screen pixel overflow any 16-bit running sum.
    for (auto [width, height, scale] :
         {Case{1500, 1500, 0.001f}, Case{3000, 2000, 0.0125f}, Case{7, 5, 0.6f}}) {
        fill_flat(photo, width, height, 0xFFFFFFFF);
        const ViewGeometry probe = [&] {
            ViewGeometry g(420, 320);
            g.set_scale(scale);
            g.set_photo_size(width, height);
            return g;
        }();
        const auto words = render(photo, 420, 320, scale);
        int covered = 0;
        for (auto word : words) covered += word == 0xFFFFFFFFu;
        EXPECT_EQ(covered, probe.drawn_width() * probe.drawn_height()) << width << "x" << height;
    }
}

TEST(ViewRender, EnlargementRepeatsTheNearestPixel)
{
    Bitmap32 photo;
    fill_with_coordinates(photo, 2, 1);
    const auto words = render(photo, 3, 1, 1.5f);  // three screen pixels for two photo pixels
    EXPECT_EQ(coordinate_x(words[0]), 0);
    EXPECT_EQ(coordinate_x(words[1]), 1);
    EXPECT_EQ(coordinate_x(words[2]), 1);
    const auto blocks = render(photo, 6, 3, 3.0f);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(coordinate_x(blocks[y * 6 + x]), x / 3);
}

TEST(ViewRender, BlendedPhotoMixesWithTheBackgroundByAlphaAndMasterAlpha)
{
    Bitmap32 photo;
    fill_flat(photo, 1, 1, 0x80FFFFFF);
    EXPECT_EQ(render(photo, 1, 1, 1.0f)[0], 0xFFFFFFFFu);  // opaque mode ignores alpha
    photo.attributes.draw_mode = DrawMode::dmBlend;
    EXPECT_EQ(render(photo, 1, 1, 1.0f)[0], 0xFFE4E4E4u);  // 201 + (255 - 201) * 128 / 255
    photo.attributes.master_alpha = 0;
    EXPECT_EQ(render(photo, 1, 1, 1.0f)[0], 0xFFC9C9C9u);
}

TEST(ViewRender, PlacementForAnotherSizeDrawsOnlyTheBackground)
{
    Bitmap32 photo;
    fill_flat(photo, 10, 10, 0xFF112233);
    ViewGeometry stale(4, 4);
    stale.set_photo_size(20, 20);
    std::vector<std::uint32_t> words(16);
    render_view(photo, stale, kBackground, words.data(), 4);
    for (auto word : words) EXPECT_EQ(word, 0xFF000000u | kBackground);
}

// A reduced view is drawn in bands of rows on several cores: the words must not
// depend on how the rows were split, at any reduction or scroll.
TEST(ViewRender, ReducedViewIsTheSameWhateverTheRowSplit)
{
    Bitmap32 photo;
    photo.set_size(1001, 757);
    std::mt19937 random(5);
    for (std::size_t k = 0; k < photo.pixel_count(); ++k)
        photo.pixels()[k] = static_cast<std::uint32_t>(random());
    RowPool one(1), three(3);
    for (auto [scale, dy] : {std::pair{0.37f, 0.0f}, std::pair{0.5f, -30.0f}, std::pair{0.9f, 41.0f}}) {
        ViewGeometry geometry(421, 333);
        geometry.set_scale(scale);
        geometry.set_photo_size(photo.width(), photo.height());
        geometry.scroll_by(0, dy);
        std::vector<std::uint32_t> alone(421 * 333), shared(421 * 333);
        render_view(photo, geometry, kBackground, alone.data(), 421, one);
        render_view(photo, geometry, kBackground, shared.data(), 421, three);
        EXPECT_EQ(alone, shared) << "scale " << scale;
    }
}

// Footprints of a 21-to-2 reduction alternate 10 and 11 photo pixels on both axes, areas
// of 110 and 121 among them, whose reciprocals single precision rounds down. Each holds n - 1
// in its first half (area / 2 pixels, row by row) and n after, per channel: a sum whose rounded
// average lies exactly on n, which a division in floats must not truncate to n - 1. The photo
// is wide enough for whole blocks of columns, and every instruction set gives the same.
TEST(ViewRender, SmallMixedFootprintsRoundTheirAveragesExactly)
{
    constexpr int kColumns = 24, kRows = 8;  // screen pixels drawn, both even
    const auto edge = [](int k) { return k * 21 / 2; };
    Bitmap32 photo;
    photo.set_size(edge(kColumns), edge(kRows));
    std::mt19937 random(11);
    std::vector<std::uint32_t> centres(kColumns * kRows);
    for (int j = 0; j < kRows; ++j)
        for (int i = 0; i < kColumns; ++i) {
            const std::uint32_t n = 0x01010101u + (static_cast<std::uint32_t>(random()) & 0xFEFEFEFEu);
            centres[j * kColumns + i] = n;
            const int width = edge(i + 1) - edge(i), area = width * (edge(j + 1) - edge(j));
            for (int k = 0; k < area; ++k)
                photo.pixels()[(edge(j) + k / width) * photo.width() + edge(i) + k % width] =
                    k < area / 2 ? n - 0x01010101u : n;
        }
    for (RenderPath path : {RenderPath::plain, RenderPath::avx2, RenderPath::avx512}) {
        set_render_path(path);
        SCOPED_TRACE(render_path_name(render_path()));
        const auto words = render(photo, kColumns, kRows, 2.0f / 21.0f);
        for (int k = 0; k < kColumns * kRows; ++k)
            ASSERT_EQ(words[k], centres[k] | 0xFF000000u)
                << "screen pixel " << k % kColumns << ", " << k / kColumns;
    }
    set_render_path(fastest_render_path());
}

// The instruction sets differ in how many columns they sum at once and how they turn column
// sums into running sums; the words must not, for footprints small enough to add packed and
// larger ones, scrolled or not, opaque or blended.
TEST(ViewRender, ReducedViewIsTheSameOnEveryInstructionSet)
{
    Bitmap32 photo;
    photo.set_size(1001, 757);
    std::mt19937 random(9);
    for (std::size_t k = 0; k < photo.pixel_count(); ++k)
        photo.pixels()[k] = static_cast<std::uint32_t>(random());
    for (DrawMode mode : {DrawMode::dmOpaque, DrawMode::dmBlend})
        for (auto [scale, dx] : {std::pair{0.9f, 0.0f}, std::pair{0.31f, 37.0f}, std::pair{0.16f, 0.0f},
                                 std::pair{0.03f, 0.0f}}) {
            photo.attributes.draw_mode = mode;
            set_render_path(RenderPath::plain);
            const auto plain = render(photo, 421, 333, scale, dx);
            for (RenderPath path : {RenderPath::avx2, RenderPath::avx512}) {
                set_render_path(path);
                EXPECT_EQ(render(photo, 421, 333, scale, dx), plain)
                    << render_path_name(render_path()) << ", scale " << scale;
            }
        }
    set_render_path(fastest_render_path());
}

// What the bands of a reduced view need is allocated before they start, so running out of
// memory throws on the drawing thread, never on a worker of the pool.
TEST(ViewRender, ReducedViewBandsAllocateNothing)
{
    Bitmap32 photo;
    photo.set_size(3000, 2000);
    RowPool three(3);
    ViewGeometry geometry(420, 320);
    geometry.set_scale(0.14f);
    geometry.set_photo_size(photo.width(), photo.height());
    std::vector<std::uint32_t> words(420 * 320);
    allocating_thread = std::this_thread::get_id();
    counting_allocations.store(true);
    for (int repaint = 0; repaint < 20; ++repaint)
        render_view(photo, geometry, kBackground, words.data(), 420, three);
    counting_allocations.store(false);
    EXPECT_EQ(allocations_elsewhere.load(), 0);
}

}  // namespace
