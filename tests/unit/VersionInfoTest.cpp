#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/config/Version.h"
#include "tests/support/TestSupport.h"

// Every program on the medium carries the build's one version resource:
// Explorer's properties and Windows' prompts read it back from the file.
namespace {

std::wstring Widen(const char* text) {
    int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) ::MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    return wide;
}

struct VersionBlock {
    std::vector<BYTE> bytes;

    bool Read(const std::wstring& path) {
        DWORD ignored = 0;
        DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (size == 0) return false;
        bytes.assign(size, 0);
        return ::GetFileVersionInfoW(path.c_str(), 0, size, bytes.data()) != FALSE;
    }

    std::wstring Value(const wchar_t* name) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(bytes.data(), query.c_str(), &value, &length) || length == 0) return L"";
        return static_cast<const wchar_t*>(value);
    }

    const VS_FIXEDFILEINFO* Fixed() {
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(bytes.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }
};

std::vector<std::wstring> MediumPrograms() {
    std::vector<std::wstring> names = {L"setup.exe"};
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((test::MediumDir() + L"\\setup*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName); while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

TEST(VersionInfo, EveryProgramOnTheMediumNamesTheProductItsMakerAndTheVersion) {
    std::vector<std::wstring> programs = MediumPrograms();
    ASSERT_GE(programs.size(), 2u) << "no language modules on the medium";
    const DWORD versionMs = MAKELONG(AV_VERSION_MINOR, AV_VERSION_MAJOR);
    const DWORD versionLs = MAKELONG(AV_VERSION_BUILD, AV_VERSION_PATCH);
    for (const std::wstring& name : programs) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        VersionBlock block;
        ASSERT_TRUE(block.Read(test::MediumDir() + L"\\" + name));
        EXPECT_EQ(Widen(AV_PRODUCT_NAME), block.Value(L"ProductName"));
        EXPECT_EQ(Widen(AV_PRODUCT_COMPANY), block.Value(L"CompanyName"));
        EXPECT_EQ(Widen(AV_PRODUCT_COPYRIGHT), block.Value(L"LegalCopyright"));
        EXPECT_EQ(Widen(AV_PRODUCT_VERSION), block.Value(L"FileVersion"));
        EXPECT_EQ(Widen(AV_PRODUCT_VERSION), block.Value(L"ProductVersion"));
        EXPECT_EQ(name, block.Value(L"OriginalFilename"));
        EXPECT_EQ(0u, block.Value(L"FileDescription").find(Widen(AV_PRODUCT_NAME)));
        const VS_FIXEDFILEINFO* fixed = block.Fixed();
        ASSERT_NE(nullptr, fixed);
        EXPECT_EQ(versionMs, fixed->dwFileVersionMS);
        EXPECT_EQ(versionLs, fixed->dwFileVersionLS);
        EXPECT_EQ(versionMs, fixed->dwProductVersionMS);
        EXPECT_EQ(name == L"setup.exe" ? DWORD(VFT_APP) : DWORD(VFT_DLL), fixed->dwFileType);
    }
}

TEST(VersionInfo, ALanguageModuleSaysWhichLanguageItHolds) {
    VersionBlock block;
    ASSERT_TRUE(block.Read(test::MediumDir() + L"\\setupDEU.dll"));
    EXPECT_EQ(Widen(AV_PRODUCT_NAME) + L" texts: German", block.Value(L"FileDescription"));
}

// Whether an install from a medium of one version over an installation of
// another is refused: numerically, part by part, missing parts 0; a text
// that is not a version never refuses.
struct OrderCase {
    const wchar_t* medium;
    const wchar_t* installed;
    bool refused;
};

TEST(VersionOrder, OnlyAnOlderMediumIsRefused) {
    const OrderCase cases[] = {
        {L"1.00.00", L"2.00.00", true},     {L"2.00.00", L"2.00.00", false},  // repair
        {L"2.1", L"2.00.00", false},        {L"10.00.00", L"9.00.00", false},  // not text order
        {L"9.00.00", L"10.00.00", true},    {L"1", L"1.00.00.0", false},
        {L"1.0.0.1", L"1", false},          {L"1.99", L"2", true},
        {L"1.00.00", L"beta", false},       {L"1.00.00", L"", false},
        {L"1.00.00", L"2..0", false},       {L"1.00.00", L"2.0.0.0.1", false},
        {L"1.00.00", L"2.0 beta", false},   {L"beta", L"2.00.00", false},
        {L"1.00.00", L"1234567890", false},  // a part too large to be a number of ours
    };
    for (const OrderCase& c : cases) {
        EXPECT_EQ(c.refused, IsOlderThanInstalled(c.medium, c.installed)) << c.medium << L" over " << c.installed;
    }
}

} // namespace

