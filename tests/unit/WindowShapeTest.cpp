#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "controls/PictureScaling.h"
#include "controls/SkinPicture.h"
#include "framework/Gdi.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/ResourceImages.h"
#include "wizard/WindowShape.h"

namespace {

constexpr std::uint32_t K = 0xFF00FF;  // the key colour as a pixel
constexpr std::uint32_t A = 0x102030;

HRGN RectsRegion(const std::vector<RECT>& rects) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rects) {
        fw::ScopedRegion part(::CreateRectRgnIndirect(&r));
        ::CombineRgn(region, region, part.Get(), RGN_OR);
    }
    return region;
}

long Area(HRGN region) {
    DWORD size = ::GetRegionData(region, 0, nullptr);
    std::vector<char> data(size);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (!size || ::GetRegionData(region, size, header) != size) return -1;
    long area = 0;
    const RECT* rects = reinterpret_cast<const RECT*>(header->Buffer);
    for (DWORD i = 0; i < header->rdh.nCount; ++i)
        area += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
    return area;
}

struct RowCase {
    const char* name;
    std::vector<std::uint32_t> pixels;
    int width;
    std::vector<RECT> expected;
};

class RowScanTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowScanTest, CutsTheKeyPixelsOut) {
    const RowCase& c = GetParam();
    const int height = static_cast<int>(c.pixels.size()) / c.width;
    fw::ScopedRegion region(RowScanRegion(c.pixels.data(), c.width, height, RGB(255, 0, 255)));
    fw::ScopedRegion expected(RectsRegion(c.expected));
    ASSERT_TRUE(region);
    EXPECT_TRUE(::EqualRgn(region.Get(), expected.Get()));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowScanTest,
    ::testing::Values(
        RowCase{"no_key_pixel_gives_the_whole_row", {A, A, A, A}, 4, {{0, 0, 4, 1}}},
        RowCase{"only_key_pixels_give_nothing", {K, K, K}, 3, {}},
        RowCase{"a_key_pixel_between_runs_splits_the_row", {A, A, K, A, A}, 5, {{0, 0, 2, 1}, {3, 0, 5, 1}}},
        RowCase{"key_pixels_at_both_ends", {K, A, A, K}, 4, {{1, 0, 3, 1}}},
        RowCase{"the_unused_top_byte_does_not_hide_the_key", {0xFF000000u | K, A}, 2, {{1, 0, 2, 1}}},
        RowCase{"rows_are_cut_one_by_one", {K, A, A, A, A, K}, 3, {{1, 0, 3, 1}, {0, 1, 2, 2}}}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

// The background's region, read in one go, is the one a scan of every pixel
// with GetPixel gives: the whole rectangle less the magenta corners.
TEST(WindowShapeTest, BackgroundRegionEqualsThePixelByPixelScan) {
    const test::ResourceFile file(test::MediumDir() + L"\\setup.exe");
    ASSERT_NE(nullptr, file.Get());
    fw::ScopedBitmap background(static_cast<HBITMAP>(
        ::LoadImageW(file.Get(), MAKEINTRESOURCEW(130), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(background);
    BITMAP info = {};
    ASSERT_EQ(sizeof info, static_cast<size_t>(::GetObjectW(background.Get(), sizeof info, &info)));
    ASSERT_EQ(584, info.bmWidth);
    ASSERT_EQ(411, info.bmHeight);

    fw::ScreenDC screen;
    fw::ScopedRegion cut(RegionFromBitmap(screen.Get(), background.Get(), info.bmWidth, info.bmHeight,
                                          kShapeKeyColor));
    ASSERT_TRUE(cut);

    fw::ScopedRegion scanned(::CreateRectRgn(0, 0, 0, 0));
    {
        fw::MemoryDC memory(screen.Get());
        fw::ScopedSelect select(memory.Get(), background.Get());
        for (int y = 0; y < info.bmHeight; ++y)
            for (int x = 0; x < info.bmWidth; ++x)
                if (::GetPixel(memory.Get(), x, y) != kShapeKeyColor) {
                    fw::ScopedRegion pixel(::CreateRectRgn(x, y, x + 1, y + 1));
                    ::CombineRgn(scanned.Get(), scanned.Get(), pixel.Get(), RGN_OR);
                }
    }
    EXPECT_TRUE(::EqualRgn(cut.Get(), scanned.Get()));
    EXPECT_EQ(584L * 411 - 71, Area(cut.Get()));
}

TEST(WindowShapeTest, WindowIsCentredWithEachHalfRoundedOnItsOwn) {
    struct Case {
        SIZE screen, window;
        POINT expected;
    } cases[] = {
        {{1024, 768}, {584, 411}, {220, 179}},
        {{1920, 1080}, {584, 411}, {668, 335}},
        {{1025, 769}, {585, 411}, {220, 179}},  // 512 - 292, 384 - 205
        {{500, 300}, {584, 411}, {-42, -55}},
    };
    for (const Case& c : cases) {
        const POINT origin = CentredOrigin(c.screen, c.window);
        EXPECT_EQ(c.expected.x, origin.x) << c.screen.cx << "x" << c.screen.cy;
        EXPECT_EQ(c.expected.y, origin.y) << c.screen.cx << "x" << c.screen.cy;
    }
}

// A picture scaled for another display: each pixel the average of what it
// covers, but the key colour that cuts the window's shape is never blended.
struct ScaleCase {
    const char* name;
    std::vector<std::uint32_t> pixels;
    SIZE from, to;
    LONG key;
    std::vector<std::uint32_t> expected;
};

class PictureScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(PictureScaleTest, AveragesByAreaAndKeepsTheKeyWhole) {
    const ScaleCase& c = GetParam();
    EXPECT_EQ(c.expected, ScalePicture(c.pixels.data(), c.from.cx, c.from.cy, c.to.cx, c.to.cy, c.key));
}

constexpr LONG kKey = RGB(255, 0, 255);
INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureScaleTest,
    ::testing::Values(
        ScaleCase{"same_size_copies", {A, 0x405060}, {2, 1}, {2, 1}, kKey, {A, 0x405060}},
        ScaleCase{"half_size_averages_four", {0x000000, 0x0000FF, 0x00FF00, 0xFF0000}, {2, 2}, {1, 1}, kKey,
                  {0x404040}},
        ScaleCase{"key_covering_a_pixel_stays_key", {K, K, A, A}, {4, 1}, {2, 1}, kKey, {K, A}},
        ScaleCase{"key_at_least_half_wins", {K, A, A}, {3, 1}, {2, 1}, kKey, {K, A}},
        ScaleCase{"key_under_half_leaves_the_others_unblended", {A, K, A, A}, {4, 1}, {3, 1}, kKey, {A, K, A}},
        ScaleCase{"without_a_key_magenta_blends", {K, 0x000000}, {2, 1}, {1, 1}, -1, {0x800080}},
        ScaleCase{"larger_repeats_each_pixel", {A, K}, {2, 1}, {4, 2}, kKey, {A, A, K, K, A, A, K, K}}),
    [](const ::testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });

// The drawing each display scale starts from: the 100 % bitmap up to 96
// dpi, the 200 % drawing (the nearest larger, or the largest) above.
TEST(PictureScaleTest, EachDpiStartsFromTheNearestLargerDrawing) {
    const struct { int dpi, scale; } cases[] = {{72, 100}, {96, 100}, {97, 200}, {120, 200},
                                                 {144, 200}, {192, 200}, {288, 200}};
    for (const auto& c : cases) EXPECT_EQ(c.scale, SourceScaleFor(c.dpi)) << c.dpi << " dpi";
}

} // namespace
