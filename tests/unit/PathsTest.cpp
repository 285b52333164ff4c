#include <gtest/gtest.h>

#include <string>

#include "engine/config/Paths.h"
#include "engine/system/Waits.h"

namespace {

struct DirCase {
    const wchar_t* path;
    const wchar_t* dir;
};

class DirectoryPartTest : public ::testing::TestWithParam<DirCase> {};

TEST_P(DirectoryPartTest, CutsAfterLastBackslash) {
    wchar_t out[kPathChars];
    out[0] = L'?';
    GetDirectoryPart(GetParam().path, out);
    EXPECT_STREQ(GetParam().dir, out);
}

INSTANTIATE_TEST_SUITE_P(Paths, DirectoryPartTest,
                         ::testing::Values(DirCase{L"C:\\Windows", L"C:\\"},
                                           DirCase{L"C:\\x\\setup.exe", L"C:\\x\\"},
                                           DirCase{L"C:\\", L"C:\\"},
                                           DirCase{L"setup.exe", L""}, DirCase{L"", L""},
                                           DirCase{L"\\\\srv\\share\\a", L"\\\\srv\\share\\"}));

TEST(FormatPathTest, FitsUpTo259Characters) {
    wchar_t out[kPathChars];
    std::wstring name(259 - 3, L'a');
    EXPECT_TRUE(FormatPath(out, L"C:\\%s", name.c_str()));
    EXPECT_EQ(259u, std::wstring(out).size());
}

TEST(FormatPathTest, RefusesWhatDoesNotFitInsteadOfCutting) {
    wchar_t out[kPathChars];
    std::wstring name(257, L'a');
    EXPECT_FALSE(FormatPath(out, L"C:\\%s", name.c_str()));
    EXPECT_STREQ(L"", out);
    std::wstring huge(1000, L'b');
    EXPECT_FALSE(FormatPath(out, L"%s\\%s", L"C:", huge.c_str()));
    EXPECT_STREQ(L"", out);
}

TEST(FormatPathTest, SmallBufferNeverOverrun) {
    wchar_t out[8 + 1];
    out[8] = L'#';
    EXPECT_FALSE(FormatPathN(out, 8, L"%s", L"abcdefgh"));
    EXPECT_EQ(L'#', out[8]);
    EXPECT_TRUE(FormatPathN(out, 8, L"%s", L"abcdefg"));
    EXPECT_STREQ(L"abcdefg", out);
}

struct NameCase {
    const wchar_t* name;
    bool plain;
};

class PlainNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(PlainNameTest, AcceptsOnlyOneNameInsideTheFolder) {
    EXPECT_EQ(GetParam().plain, IsPlainName(GetParam().name)) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, PlainNameTest,
    ::testing::Values(NameCase{L"HBC71K", true}, NameCase{L"KXRaidSetup.exe", true},
                      NameCase{L"My App \u00e9\u9663\u5217", true}, NameCase{L"...x", true},
                      NameCase{L"", false}, NameCase{L".", false}, NameCase{L"..", false},
                      NameCase{L"..\\Windows", false}, NameCase{L"a/b", false},
                      NameCase{L"C:", false}, NameCase{L"C:\\Windows", false},
                      NameCase{L"a\"b", false}, NameCase{L"*", false},
                      NameCase{L"a\tb", false},
                      // Names Windows alters: trailing dots and spaces go.
                      NameCase{L"App.", false}, NameCase{L"App ", false}, NameCase{L"App. .", false},
                      NameCase{L" App", true}, NameCase{L"App.exe", true},
                      // Device names, in any case and with any extension.
                      NameCase{L"CON", false}, NameCase{L"nul", false}, NameCase{L"Aux", false},
                      NameCase{L"PRN", false}, NameCase{L"COM1", false}, NameCase{L"lpt9", false},
                      NameCase{L"COM\u00b9", false}, NameCase{L"CONIN$", false},
                      NameCase{L"CON.txt", false}, NameCase{L"nul.exe", false},
                      NameCase{L"COM1.tar.gz", false}, NameCase{L"NUL .txt", false},
                      NameCase{L"CONSOLE", true}, NameCase{L"COM10", true}, NameCase{L"NULL.exe", true},
                      NameCase{L"ICON.ico", true}, NameCase{L"COM", true},
                      // Short-name aliases could name another folder.
                      NameCase{L"COMMON~1", false}, NameCase{L"PROGRA~2.EXE", false},
                      NameCase{L"Tilde~Name", true}));

} // namespace

// Which services' programs lie in the installation folder, however their
// command lines are written.
TEST(ServiceProgramTest, OnlyAProgramInsideTheFolderMakesItsService) {
    const wchar_t folder[] = L"C:\\Program Files\\HBC71K";
    const struct {
        const wchar_t* binaryPath;
        bool inside;
    } cases[] = {
        {L"\"C:\\Program Files\\HBC71K\\ArrSvcSetup.exe\" -service \"Svc\"", true},
        {L"C:\\Program Files\\HBC71K\\ArrSvcSetup.exe -service Svc", true},
        {L"c:\\program files\\hbc71k\\Bin\\svc.EXE", true},
        {L"\"C:\\Program Files\\HBC71K\\ArrSvcSetup.exe", true},
        {L"\"C:\\Program Files\\HBC71K2\\ArrSvcSetup.exe\"", false},
        {L"C:\\Program Files\\HBC71K", false},
        {L"\"C:\\Program Files\\HBC71K\"", false},
        {L"C:\\Windows\\system32\\svchost.exe -k C:\\Program Files\\HBC71K\\x.exe", false},
        {L"C:\\Program Files\\Other\\a.exe C:\\Program Files\\HBC71K\\b.exe", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.inside, IsServiceIn(c.binaryPath, folder)) << "case " << (&c - cases);
}
