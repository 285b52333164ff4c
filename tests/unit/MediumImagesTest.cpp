#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/layout/MediumImages.h"
#include "tests/support/TestSupport.h"

namespace {

// The images found by one listing must be exactly those a search on each
// image's path would find.
TEST(MediumImages, ListingFindsWhatASearchPerImageWould) {
    test::ScratchDir dir;
    const std::wstring images = dir / L"Application\\Images";
    ASSERT_TRUE(::CreateDirectoryW((dir / L"Application").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(images.c_str(), nullptr));
    // The first image as it stands, the second in other letters, the third
    // as a folder of its name; an unrelated file is no image.
    const std::wstring first = ImageFileTable[0] + 7, second = ImageFileTable[1] + 7;
    std::wstring upper = second;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(::towupper(c));
    test::WriteTextFile(images + L"\\" + first, "a");
    test::WriteTextFile(images + L"\\" + upper, "b");
    ASSERT_TRUE(::CreateDirectoryW((images + L"\\" + (ImageFileTable[2] + 7)).c_str(), nullptr));
    test::WriteTextFile(images + L"\\Unrelated.bmp", "c");

    bool present[kImageFileCount];
    FindMediumImages((dir.Path() + L"\\").c_str(), present);
    int count = 0;
    for (bool p : present) count += p ? 1 : 0;
    EXPECT_TRUE(present[0]);
    EXPECT_TRUE(present[1]);
    EXPECT_TRUE(present[2]);
    EXPECT_EQ(3, count);
}

TEST(MediumImages, EveryTableEntryIsInTheImagesFolder) {
    for (int i = 0; i < kImageFileCount; ++i) {
        std::wstring entry = ImageFileTable[i];
        EXPECT_EQ(L"Images\\", entry.substr(0, 7)) << i;
        EXPECT_EQ(std::wstring::npos, entry.find(L'\\', 7)) << i;
    }
}

TEST(MediumImages, NoImagesFolderMeansNoImages) {
    test::ScratchDir dir;
    bool present[kImageFileCount];
    for (bool& p : present) p = true;
    FindMediumImages((dir.Path() + L"\\").c_str(), present);
    for (int i = 0; i < kImageFileCount; ++i) EXPECT_FALSE(present[i]) << i;
}

} // namespace
