// SkinBitmap: regions cut by key colour and the three ways of drawing.
#include <gtest/gtest.h>

#include <functional>

#include "controls/SkinBitmap.h"
#include "tests/gui/GuiSupport.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kSolid = RGB(10, 120, 40);
const RECT kByRows = {0, 0, 0, 0};

// A bitmap whose key pixels are those `isKey` names.
HBITMAP KeyedBitmap(int w, int h, const std::function<bool(int, int)>& isKey) {
    return gui::MakeBitmap(w, h, [&](int x, int y) { return isKey(x, y) ? kKey : kSolid; });
}

// Compares the region with the expected membership of every pixel, and of
// a one-pixel ring outside the bitmap that must never be in it.
void ExpectRegion(HRGN region, int w, int h, const std::function<bool(int, int)>& inside) {
    ASSERT_NE(nullptr, region);
    int wrong = 0;
    for (int y = -1; y <= h; ++y)
        for (int x = -1; x <= w; ++x) {
            const bool expected = x >= 0 && y >= 0 && x < w && y < h && inside(x, y);
            if ((::PtInRegion(region, x, y) != FALSE) != expected) {
                if (++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y << " expected "
                                                << (expected ? "in" : "out");
            }
        }
    EXPECT_EQ(0, wrong);
}

SkinBitmap& Adopted(SkinBitmap& bitmap, HBITMAP handle) {
    EXPECT_TRUE(bitmap.Adopt(handle));
    return bitmap;
}

} // namespace

TEST(SkinBitmapRegion, NoKeyPixelsGiveTheFullRectangleEitherWay) {
    SkinBitmap bitmap;
    Adopted(bitmap, KeyedBitmap(9, 7, [](int, int) { return false; }));
    auto all = [](int, int) { return true; };
    ExpectRegion(bitmap.GetKeyRegion(kKey, kByRows), 9, 7, all);
    ExpectRegion(bitmap.GetKeyRegion(kKey, RECT{2, 2, 6, 5}), 9, 7, all);
}

TEST(SkinBitmapRegion, AllKeyIsEmptyByRowsAndOnlyTheUnexaminedInteriorByFrame) {
    SkinBitmap bitmap;
    Adopted(bitmap, KeyedBitmap(9, 7, [](int, int) { return true; }));
    RECT box;
    EXPECT_EQ(NULLREGION, ::GetRgnBox(bitmap.GetKeyRegion(kKey, kByRows), &box));
    ExpectRegion(bitmap.GetKeyRegion(kKey, kByRows), 9, 7, [](int, int) { return false; });
    // Keep (2, 2, 6, 5): columns 2-5 are searched in rows 0-2 and 5-6 only.
    ExpectRegion(bitmap.GetKeyRegion(kKey, RECT{2, 2, 6, 5}), 9, 7,
                 [](int x, int y) { return x >= 2 && x < 6 && y >= 3 && y < 5; });
}

TEST(SkinBitmapRegion, KeyPixelsSplitARowIntoRuns) {
    auto key = [](int x, int y) { return y == 1 && (x == 0 || x == 3 || x == 4 || x == 7); };
    SkinBitmap bitmap;
    Adopted(bitmap, KeyedBitmap(8, 3, key));
    ExpectRegion(bitmap.GetKeyRegion(kKey, kByRows), 8, 3, [&](int x, int y) { return !key(x, y); });
}

TEST(SkinBitmapRegion, FrameSearchLeavesTheInsideOfTheKeepRectangleAlone) {
    // Keep (1, 1, 5, 4): row 1 (the top row) is still searched; rows 2-3 are not.
    auto key = [](int x, int y) { return (x == 2 && y == 1) || (x == 3 && y == 2) || (x == 0 && y == 3); };
    SkinBitmap bitmap;
    Adopted(bitmap, KeyedBitmap(6, 5, key));
    ExpectRegion(bitmap.GetKeyRegion(kKey, RECT{1, 1, 5, 4}), 6, 5, [](int x, int y) {
        return !((x == 2 && y == 1) || (x == 0 && y == 3));
    });
}

TEST(SkinBitmapRegion, KeepRectangleWithRightLeftOfLeftTogglesTwiceVisitedPixelsBack) {
    // Keep (4, 1, 2, 3): columns 0-3 and then 2-5 are searched, so columns 2
    // and 3 twice; their key pixels are removed and put back.
    auto key = [](int x, int y) { return y == 1 && (x == 1 || x == 3 || x == 5); };
    SkinBitmap bitmap;
    Adopted(bitmap, KeyedBitmap(6, 4, key));
    ExpectRegion(bitmap.GetKeyRegion(kKey, RECT{4, 1, 2, 3}), 6, 4, [](int x, int y) {
        return !(y == 1 && (x == 1 || x == 5));
    });
}

TEST(SkinBitmapRegion, NoKeyColourReturnsTheLastRegionOrNone) {
    SkinBitmap bitmap;
    Adopted(bitmap, KeyedBitmap(4, 4, [](int x, int) { return x == 0; }));
    EXPECT_EQ(nullptr, bitmap.GetKeyRegion(-1, kByRows));
    HRGN built = bitmap.GetKeyRegion(kKey, kByRows);
    EXPECT_EQ(built, bitmap.GetKeyRegion(-1, kByRows));
    // A new request builds anew, here with another key.
    HRGN rebuilt = bitmap.GetKeyRegion(kSolid, kByRows);
    ExpectRegion(rebuilt, 4, 4, [](int x, int) { return x == 0; });
}

TEST(SkinBitmapDraw, EmptyObjectIsZeroSizedAndDrawsNothing) {
    SkinBitmap bitmap;
    EXPECT_EQ(0, bitmap.GetSize().cx);
    EXPECT_EQ(0, bitmap.GetSize().cy);
    gui::Canvas canvas(20, 20, RGB(9, 9, 9));
    EXPECT_FALSE(bitmap.Draw(canvas.Dc(), 0, 0));
    EXPECT_FALSE(bitmap.DrawStretched(canvas.Dc(), RECT{0, 0, 20, 20}));
    EXPECT_FALSE(bitmap.DrawBordered(canvas.Dc(), RECT{0, 0, 20, 20}, SIZE{5, 5}));
    EXPECT_EQ(400, canvas.Count(RGB(9, 9, 9)));
    EXPECT_FALSE(bitmap.Unload());
    EXPECT_FALSE(bitmap.Load(1, [](UINT) -> HBITMAP { return nullptr; }));
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST(SkinBitmapDraw, LoadsThroughTheLoaderAndUnloads) {
    SkinBitmap bitmap;
    EXPECT_TRUE(bitmap.Load(7, [](UINT id) { return gui::MakeSolidBitmap(int(id), 3, kSolid); }));
    EXPECT_EQ(7, bitmap.GetSize().cx);
    EXPECT_EQ(3, bitmap.GetSize().cy);
    EXPECT_TRUE(bitmap.Unload());
    EXPECT_TRUE(bitmap.IsEmpty());
}

namespace {
// Every pixel a colour of its own, so that misplaced pixels show.
COLORREF Pattern(int x, int y) { return RGB(x * 9 % 256, y * 13 % 256, (x * y + 50) % 256); }
} // namespace

TEST(SkinBitmapDraw, DrawAndDrawStretchedAtNaturalSizeGiveTheSamePixels) {
    SkinBitmap bitmap;
    Adopted(bitmap, gui::MakeBitmap(17, 11, Pattern));
    gui::Canvas drawn(30, 20), stretched(30, 20);
    EXPECT_TRUE(bitmap.Draw(drawn.Dc(), 3, 4));
    EXPECT_TRUE(bitmap.DrawStretched(stretched.Dc(), RECT{3, 4, 20, 15}));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(drawn.At(x, y), stretched.At(x, y)) << x << "," << y;
    EXPECT_EQ(Pattern(16, 10), drawn.At(19, 14));
}

struct RefusedCase {
    const char* name;
    int bitmapW, bitmapH, destW, destH;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class DrawBorderedRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(DrawBorderedRefuses, ReturnsFalseAndDrawsNothing) {
    const RefusedCase& c = GetParam();
    SkinBitmap bitmap;
    Adopted(bitmap, gui::MakeBitmap(c.bitmapW, c.bitmapH, Pattern));
    gui::Canvas canvas(40, 40, RGB(9, 9, 9));
    EXPECT_FALSE(bitmap.DrawBordered(canvas.Dc(), RECT{2, 2, 2 + c.destW, 2 + c.destH}, SIZE{5, 5}));
    EXPECT_EQ(1600, canvas.Count(RGB(9, 9, 9)));
}

INSTANTIATE_TEST_SUITE_P(
    Border5, DrawBorderedRefuses,
    ::testing::Values(RefusedCase{"face10wide", 20, 20, 10, 20}, RefusedCase{"face10high", 20, 20, 20, 10},
                      RefusedCase{"bitmap10wide", 10, 20, 20, 20},
                      RefusedCase{"bitmap10high", 20, 10, 20, 20}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(SkinBitmapDraw, DrawBorderedKeepsCornersAndStretchesAOnePixelMiddle) {
    // The middle columns 5-8 share one colour per row, so that shrinking
    // them to one column has one right answer whatever the stretch mode.
    auto face = [](int x, int y) { return x >= 5 && x < 9 ? RGB(200, y * 13, 77) : Pattern(x, y); };
    SkinBitmap bitmap;
    Adopted(bitmap, gui::MakeBitmap(14, 13, face));
    gui::Canvas canvas(40, 40, RGB(9, 9, 9));
    // 11 x 20 at (3, 2): a middle column 1 pixel wide, middle rows stretched.
    ASSERT_TRUE(bitmap.DrawBordered(canvas.Dc(), RECT{3, 2, 14, 22}, SIZE{5, 5}));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(Pattern(x, y), canvas.At(3 + x, 2 + y)) << "top left " << x << "," << y;
            EXPECT_EQ(Pattern(9 + x, y), canvas.At(9 + x, 2 + y)) << "top right " << x << "," << y;
            EXPECT_EQ(Pattern(x, 8 + y), canvas.At(3 + x, 17 + y)) << "bottom left " << x << "," << y;
            EXPECT_EQ(Pattern(9 + x, 8 + y), canvas.At(9 + x, 17 + y)) << "bottom right";
        }
    // The one middle column comes from the bitmap's middle columns.
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(RGB(200, y * 13, 77), canvas.At(8, 2 + y)) << "top row " << y;
        EXPECT_EQ(RGB(200, (8 + y) * 13, 77), canvas.At(8, 17 + y)) << "bottom row " << y;
    }
    // Nothing outside the destination.
    EXPECT_EQ(1600 - 11 * 20, canvas.Count(RGB(9, 9, 9)));
}
