#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "engine/system/Compat.h"
#include "engine/config/Platform.h"
#include "framework/Handle.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t kPersisted[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\"
    L"Compatibility Assistant\\Persisted";

// Windows 8.1, 10 and 11 tell a program whose manifest stops at Windows 7
// that they are 6.2, which takes the service path of NT 6. Declaring any
// later Windows in the manifest would make them 10.0, and with it the
// Run-value path of XP: the probe would have to change first.
TEST(PlatformTest, TheManifestDeclaresNoWindowsAfter7SoWindows10And11SeeNt6) {
    fw::Module setup(::LoadLibraryExW((test::MediumDir() + L"\\setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(nullptr, setup.Get());
    HRSRC resource = ::FindResourceW(setup.Get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(nullptr, resource);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(setup.Get(), resource)));
    std::string manifest(data, ::SizeofResource(setup.Get(), resource));
    for (auto& c : manifest) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(std::string::npos, manifest.find("35138b9a-5d96-4fbd-8e2d-a2440225f93a")) << "Windows 7";
    for (const char* later : {"4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                              "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_EQ(std::string::npos, manifest.find(later)) << later;
    EXPECT_EQ(1, IsNt6Version(VER_PLATFORM_WIN32_NT, 6)) << "what Windows 8.1 to 11 report";
}

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
