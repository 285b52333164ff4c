// The background bitmap as built into setup.exe, cut into the window's shape.
#include <gtest/gtest.h>

#include <vector>

#include "controls/PngImage.h"
#include "controls/SkinBitmap.h"
#include "framework/Handle.h"
#include "tests/support/TestSupport.h"

TEST(Artwork, BackgroundByRowsIsTheFullRectangleLessItsSeventyOneKeyPixels) {
    const std::wstring setup = test::MediumDir() + L"\\setup.exe";
    fw::Module module(::LoadLibraryExW(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(nullptr, module.Get()) << "cannot open " << std::string(setup.begin(), setup.end());
    if (!::FindResourceW(module.Get(), MAKEINTRESOURCEW(130), reinterpret_cast<LPCWSTR>(RT_BITMAP)))
        GTEST_SKIP() << "setup.exe holds no bitmap 130 yet: the artwork is added separately";

    SkinBitmap background;
    ASSERT_TRUE(background.Adopt(static_cast<HBITMAP>(::LoadImageW(
        module.Get(), MAKEINTRESOURCEW(130), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
    const SIZE size = background.GetSize();
    ASSERT_EQ(584, size.cx);
    ASSERT_EQ(411, size.cy);
    HRGN region = background.GetKeyRegion(0xFF00FF, RECT{0, 0, 0, 0});
    ASSERT_NE(nullptr, region);
    int outside = 0, outsideCornerRows = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            if (!::PtInRegion(region, x, y)) {
                ++outside;
                if (y <= 7 || y >= 403) ++outsideCornerRows;
            }
    EXPECT_EQ(71, outside);
    EXPECT_EQ(71, outsideCornerRows);
}

// Every picture drawn a second time for 200 %, as a PNG resource: it decodes
// to twice the bitmap's size, and the background's corners hold four key
// pixels for each one of the 100 % picture. A damaged PNG is refused.
TEST(Artwork, EachPictureAt200PercentIsTwiceItsBitmapAndTheShapeScales) {
    const std::wstring setup = test::MediumDir() + L"\\setup.exe";
    fw::Module module(::LoadLibraryExW(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(nullptr, module.Get());
    for (UINT id : {130, 131, 132, 133, 134, 135, 136, 142, 143}) {
        HRSRC found = ::FindResourceW(module.Get(), MAKEINTRESOURCEW(id), L"PNG200");
        ASSERT_NE(nullptr, found) << "no PNG200 " << id;
        const auto* data = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module.Get(), found)));
        const DWORD size = ::SizeofResource(module.Get(), found);
        PngImage picture;
        ASSERT_TRUE(DecodePng(data, size, picture)) << id;
        SkinBitmap plain;
        ASSERT_TRUE(plain.Adopt(static_cast<HBITMAP>(::LoadImageW(module.Get(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0,
                                                                  0, LR_CREATEDIBSECTION))));
        EXPECT_EQ(2 * plain.GetSize().cx, picture.width) << id;
        EXPECT_EQ(2 * plain.GetSize().cy, picture.height) << id;
        if (id == 130) {
            int keys = 0, cornerKeys = 0;
            for (int y = 0; y < picture.height; ++y)
                for (int x = 0; x < picture.width; ++x)
                    if (picture.pixels[static_cast<size_t>(y) * picture.width + x] == 0xFF00FF) {
                        ++keys;
                        if (y < 16 || y >= picture.height - 16) ++cornerKeys;
                    }
            EXPECT_EQ(4 * 71, keys);
            EXPECT_EQ(keys, cornerKeys);
        }
        PngImage damaged;
        EXPECT_FALSE(DecodePng(data, size / 2, damaged)) << id << " cut in half";
    }
}
