// The background bitmap as built into setup.exe, cut into the window's shape.
#include <gtest/gtest.h>

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
