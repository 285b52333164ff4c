#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/LoadSafety.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(LoadSafety, OnlyWindows7AndLaterWithTheFunctionRestrictTheSearch) {
    struct Case {
        DWORD major, minor;
        bool hasFunction;
        DllSearch expected;
    };
    const Case cases[] = {
        {5, 1, false, DllSearch::PreloadFromSystem32},  // XP
        {5, 2, false, DllSearch::PreloadFromSystem32},  // XP x64, Server 2003
        {6, 0, false, DllSearch::PreloadFromSystem32},  // Vista
        {6, 0, true, DllSearch::PreloadFromSystem32},   // Vista with the update: shell links break
        {6, 1, false, DllSearch::PreloadFromSystem32},  // 7 without the update
        {6, 1, true, DllSearch::System32Only},
        {6, 3, true, DllSearch::System32Only},
        {10, 0, true, DllSearch::System32Only},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ChooseDllSearch(c.major, c.minor, c.hasFunction)) << c.major << "." << c.minor;
}

TEST(LoadSafety, PreloadedDllsAreBareNamesAndOleAut32ComesBeforeThoseThatImportIt) {
    std::vector<std::string> names;
    for (const char* name = kPreloadedDlls; *name; name += std::strlen(name) + 1) names.push_back(name);
    ASSERT_GE(names.size(), 20u);
    for (const std::string& name : names) {
        EXPECT_EQ(std::string::npos, name.find_first_of("\\/:.")) << name;
        EXPECT_FALSE(name.empty());
    }
    EXPECT_EQ("oleaut32", names.front());
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "uxtheme"));
}

TEST(LoadSafety, ARedirectionFileOrFolderBesideTheProgramIsFound) {
    test::ScratchDir dir;
    const std::wstring program = dir / L"setup.exe";
    test::WriteTextFile(program, "program");
    EXPECT_FALSE(DllRedirectionBeside(program.c_str()));

    ASSERT_TRUE(::CreateDirectoryW((program + L".local").c_str(), nullptr));
    EXPECT_TRUE(DllRedirectionBeside(program.c_str()));
    ::RemoveDirectoryW((program + L".local").c_str());

    test::WriteTextFile(program + L".local", "");
    EXPECT_TRUE(DllRedirectionBeside(program.c_str()));
    // Another program's redirection is not this one's.
    EXPECT_FALSE(DllRedirectionBeside((dir / L"other.exe").c_str()));
}

} // namespace
