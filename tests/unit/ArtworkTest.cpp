#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <utility>

#include "res/resource.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/ResourceImages.h"

// The artwork as the build put it into setup.exe: what the skin and the
// buttons take for granted about each picture.
namespace {

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kLaunchFace = RGB(71, 93, 173);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kTitleColour = RGB(85, 0, 0);
// Text against its ground should reach 4.5:1 to read easily.
const double kReadable = 4.5;

const test::ResourceFile& SetupExe() {
    static const test::ResourceFile file(test::MediumDir() + L"\\setup.exe");
    return file;
}

test::StoredBitmap Bitmap(int id) {
    return test::StoredBitmap(SetupExe().Data(RT_BITMAP, id));
}

struct BitmapCase {
    const char* name;
    int id;
    LONG width;
    LONG height;
    WORD bitsPerPixel;
};

const BitmapCase kBitmaps[] = {
    {"Background", IDB_BACKGROUND, 584, 411, 24},
    {"ButtonNormal", IDB_BUTTON_NORMAL, 111, 22, 24},
    {"ButtonPressed", IDB_BUTTON_PRESSED, 111, 22, 24},
    {"ButtonHover", IDB_BUTTON_HOVER, 111, 22, 24},
    {"CloseNormal", IDB_CLOSE_NORMAL, 20, 17, 32},
    {"CloseHover", IDB_CLOSE_HOVER, 20, 17, 32},
    {"CloseDisabled", IDB_CLOSE_DISABLED, 20, 17, 24},
    {"BoxUnchecked", IDB_BOX_UNCHECKED, 21, 24, 24},
    {"BoxChecked", IDB_BOX_CHECKED, 21, 24, 24},
};

void PrintTo(const BitmapCase& bitmap, std::ostream* out) { *out << bitmap.name; }

class BitmapResourceTest : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapResourceTest, StoredWithItsSizeAndDepth) {
    const BitmapCase& want = GetParam();
    ASSERT_NE(nullptr, SetupExe().Get());
    test::StoredBitmap bitmap = Bitmap(want.id);
    ASSERT_TRUE(bitmap.Valid());
    EXPECT_EQ(want.width, bitmap.Header().biWidth);
    EXPECT_EQ(want.height, bitmap.Header().biHeight);
    EXPECT_EQ(1, bitmap.Header().biPlanes);
    EXPECT_EQ(want.bitsPerPixel, bitmap.Header().biBitCount);
}

TEST_P(BitmapResourceTest, WindowsLoadsIt) {
    const BitmapCase& want = GetParam();
    HBITMAP loaded = ::LoadBitmapW(SetupExe().Get(), MAKEINTRESOURCEW(want.id));
    ASSERT_NE(nullptr, loaded);
    BITMAP info = {};
    ASSERT_NE(0, ::GetObjectW(loaded, sizeof info, &info));
    EXPECT_EQ(want.width, info.bmWidth);
    EXPECT_EQ(want.height, info.bmHeight);
    ::DeleteObject(loaded);

    HANDLE section = ::LoadImageW(SetupExe().Get(), MAKEINTRESOURCEW(want.id), IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION);
    ASSERT_NE(nullptr, section);
    DIBSECTION dib = {};
    ASSERT_EQ(static_cast<int>(sizeof dib), ::GetObjectW(section, sizeof dib, &dib));
    EXPECT_EQ(want.bitsPerPixel, dib.dsBm.bmBitsPixel);
    ::DeleteObject(section);
}

INSTANTIATE_TEST_SUITE_P(Artwork, BitmapResourceTest, ::testing::ValuesIn(kBitmaps),
                         [](const ::testing::TestParamInfo<BitmapCase>& info) { return info.param.name; });

TEST(BackgroundTest, KeyPixelsRoundTheFourCornersOnly) {
    test::StoredBitmap background = Bitmap(IDB_BACKGROUND);
    ASSERT_TRUE(background.Valid());
    const int width = background.Width(), height = background.Height();
    // Key pixels per (corner, row), the corner numbered top-left, top-right,
    // bottom-left, bottom-right.
    std::map<std::pair<int, int>, std::set<int>> corners;
    int keys = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (background.Pixel(x, y) != kKey) continue;
            ++keys;
            const bool top = y <= 7, bottom = y >= 403, left = x < 16, right = x >= width - 16;
            ASSERT_TRUE((top || bottom) && (left || right)) << "key pixel at " << x << "," << y;
            const int corner = (bottom ? 2 : 0) + (right ? 1 : 0);
            corners[{corner, bottom ? height - 1 - y : y}].insert(right ? width - 1 - x : x);
        }
    }
    EXPECT_EQ(71, keys);
    std::set<int> cornersSeen;
    for (const auto& row : corners) {
        cornersSeen.insert(row.first.first);
        // Each corner row is cut from the window's edge inwards, without gaps,
        // so the window's outline has no holes.
        EXPECT_EQ(0, *row.second.begin());
        EXPECT_EQ(static_cast<int>(row.second.size()) - 1, *row.second.rbegin());
    }
    EXPECT_EQ(4u, cornersSeen.size());
    // Rounded, not notched: each corner's second row is cut too.
    for (int corner = 0; corner < 4; ++corner) {
        const std::pair<int, int> secondRow(corner, 1);
        ASSERT_TRUE(corners.count(secondRow)) << "corner " << corner;
        EXPECT_GE(corners[secondRow].size(), 2u);
    }
}

TEST(BackgroundTest, LaunchBoxAndProgressBarStandOnTheBoxFaceColour) {
    // The launch box fills its whole face with this colour: any other ground
    // around 200,235 would show the box as a patch.
    test::StoredBitmap background = Bitmap(IDB_BACKGROUND);
    ASSERT_TRUE(background.Valid());
    int other = 0;
    for (int y = 231; y < 269; ++y)
        for (int x = 192; x < 572; ++x)
            if (background.Pixel(x, y) != kLaunchFace) ++other;
    EXPECT_EQ(0, other);
}

struct TextPlace {
    const char* name;
    RECT box;
    COLORREF colour;
};

TEST(BackgroundTest, TextsStandOutFromTheirGround) {
    test::StoredBitmap background = Bitmap(IDB_BACKGROUND);
    ASSERT_TRUE(background.Valid());
    const TextPlace places[] = {
        {"title", {14, 7, 538, 23}, kTitleColour},
        {"upper text", {35, 55, 549, 90}, kWhite},
        {"lower text", {200, 170, 554, 230}, kWhite},
        {"launch box caption", {225, 237, 554, 261}, kWhite},
    };
    for (const TextPlace& place : places) {
        SCOPED_TRACE(place.name);
        double worst = 21;
        for (LONG y = place.box.top; y < place.box.bottom; ++y)
            for (LONG x = place.box.left; x < place.box.right; ++x)
                worst = std::min(worst, test::Contrast(place.colour, background.Pixel(x, y)));
        EXPECT_GE(worst, kReadable);
    }
}

TEST(ButtonPictureTest, WhiteCaptionsReadOnEveryPushButtonState) {
    for (int id : {IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER}) {
        SCOPED_TRACE(id);
        test::StoredBitmap button = Bitmap(id);
        ASSERT_TRUE(button.Valid());
        double worst = 21;
        // The caption is centred on one line; a pressed one moves by 1 pixel.
        for (int y = 3; y < 20; ++y)
            for (int x = 6; x < 106; ++x)
                worst = std::min(worst, test::Contrast(kWhite, button.Pixel(x, y)));
        EXPECT_GE(worst, kReadable);
    }
}

int DifferingPixels(const test::StoredBitmap& a, const test::StoredBitmap& b) {
    int differing = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) ++differing;
    return differing;
}

TEST(ButtonPictureTest, EachStateLooksDifferent) {
    const std::pair<int, int> pairs[] = {
        {IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED}, {IDB_BUTTON_NORMAL, IDB_BUTTON_HOVER},
        {IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER},  {IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER},
        {IDB_CLOSE_NORMAL, IDB_CLOSE_DISABLED},  {IDB_BOX_UNCHECKED, IDB_BOX_CHECKED},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(::testing::Message() << pair.first << " and " << pair.second);
        test::StoredBitmap a = Bitmap(pair.first), b = Bitmap(pair.second);
        ASSERT_TRUE(a.Valid() && b.Valid());
        // A tenth of the picture at least: a state must be seen at a glance.
        EXPECT_GE(DifferingPixels(a, b), a.Width() * a.Height() / 10);
    }
}

TEST(ButtonPictureTest, LaunchBoxPicturesBlendIntoTheirFace) {
    for (int id : {IDB_BOX_UNCHECKED, IDB_BOX_CHECKED}) {
        SCOPED_TRACE(id);
        test::StoredBitmap box = Bitmap(id);
        ASSERT_TRUE(box.Valid());
        const int w = box.Width(), h = box.Height();
        int other = 0;
        for (int x = 0; x < w; ++x)
            other += (box.Pixel(x, 0) != kLaunchFace) + (box.Pixel(x, h - 1) != kLaunchFace);
        for (int y = 0; y < h; ++y)
            other += (box.Pixel(0, y) != kLaunchFace) + (box.Pixel(w - 1, y) != kLaunchFace);
        EXPECT_EQ(0, other);
    }
}

TEST(IconTest, GroupHoldsThreeImagesOfTheirSizeAndDepth) {
    const std::vector<test::IconGroupEntry> group = test::IconGroup(SetupExe(), IDI_SETUP);
    ASSERT_EQ(3u, group.size());
    std::map<int, WORD> depths;
    for (const test::IconGroupEntry& entry : group) {
        SCOPED_TRACE(entry.width);
        EXPECT_EQ(entry.width, entry.height);
        depths[entry.width] = entry.bitCount;
        std::vector<BYTE> image = SetupExe().Data(RT_ICON, entry.id);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header = {};
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(entry.width, header.biWidth);
        EXPECT_EQ(2 * entry.width, header.biHeight);  // colour and mask bitmaps
        EXPECT_EQ(entry.bitCount, header.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    }
    EXPECT_EQ((std::map<int, WORD>{{16, 24}, {32, 32}, {48, 32}}), depths);
}

TEST(IconTest, LargeImagesCarryAnAlphaChannel) {
    for (const test::IconGroupEntry& entry : test::IconGroup(SetupExe(), IDI_SETUP)) {
        if (entry.bitCount != 32) continue;
        SCOPED_TRACE(entry.width);
        std::vector<BYTE> image = SetupExe().Data(RT_ICON, entry.id);
        const size_t pixels = sizeof(BITMAPINFOHEADER);
        ASSERT_GE(image.size(), pixels + 4u * entry.width * entry.width);
        int clear = 0, solid = 0, partial = 0;
        for (int i = 0; i < entry.width * entry.width; ++i) {
            const BYTE alpha = image[pixels + 4 * i + 3];
            (alpha == 0 ? clear : alpha == 255 ? solid : partial)++;
        }
        // Transparent around the shape, opaque inside, smooth at its edges.
        EXPECT_GT(clear, 0);
        EXPECT_GT(solid, entry.width * entry.width / 4);
        EXPECT_GT(partial, 0);
    }
}

TEST(IconTest, WindowsLoadsEachSize) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(::LoadImageW(SetupExe().Get(), MAKEINTRESOURCEW(IDI_SETUP),
                                                     IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon);
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP mask = {};
        ::GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(size, mask.bmWidth);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
}

} // namespace
