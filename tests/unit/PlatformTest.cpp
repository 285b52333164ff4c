#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include "engine/Compat.h"
#include "engine/Platform.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t kPersisted[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\"
    L"Compatibility Assistant\\Persisted";

TEST(PlatformTest, ProbesTellThePrefixApart) {
    EXPECT_EQ(test::ExpectedWow64(), DetectWow64());
    EXPECT_EQ(test::ExpectedNt6(), IsNt6Platform());
}

TEST(PlatformTest, OnlyNtMajorSixIsNt6) {
    EXPECT_EQ(1, IsNt6Version(VER_PLATFORM_WIN32_NT, 6));
    EXPECT_EQ(0, IsNt6Version(VER_PLATFORM_WIN32_NT, 5));
    EXPECT_EQ(0, IsNt6Version(VER_PLATFORM_WIN32_NT, 10));
    EXPECT_EQ(0, IsNt6Version(VER_PLATFORM_WIN32_WINDOWS, 6));
}

TEST(CompatMarkTest, WritesDwordOneNamedByThePath) {
    test::RegistryOverride isolated;
    const wchar_t path[] = L"c:\\program files\\hbc71k\\kxraidsetup.exe";
    ASSERT_EQ(0, MarkCompatibilityPersisted(path));
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(ERROR_SUCCESS, ::SHGetValueW(HKEY_CURRENT_USER, kPersisted, path, &type, &value, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(1u, value);
    EXPECT_EQ(4u, size);
}

} // namespace
