#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>

#include "tests/support/Installation.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t kPersisted[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\"
    L"Compatibility Assistant\\Persisted";

std::wstring Lower(std::wstring text) {
    for (auto& c : text)
        if (c >= L'A' && c <= L'Z') c = c - L'A' + L'a';
    return text;
}

bool CompatMarked(const std::wstring& name) {
    DWORD value = 0, size = sizeof value;
    return ::SHGetValueW(HKEY_CURRENT_USER, kPersisted, name.c_str(), nullptr, &value, &size) ==
               ERROR_SUCCESS && value == 1;
}

void ClearCompatMark(const std::wstring& name) {
    HKEY key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPersisted, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, name.c_str());
        ::RegCloseKey(key);
    }
}

// A private copy of the medium for a product of its own, so each test may
// change it freely and a silent run installs nothing another test sees.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        ASSERT_TRUE(test::FileExists(medium_ + L"\\setup.exe"));
        product_.WriteSetupIni(medium_, 0);
    }
    void TearDown() override {
        product_.RemoveAll();
        test::DeleteCompatMarksContaining(dir_.Path());
    }
    std::wstring Setup(const std::wstring& args, const std::wstring& exe = L"setup.exe") const {
        return L"\"" + medium_ + L"\\" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    }
    std::wstring Title(const wchar_t* suffix) const { return product_.appName + suffix; }
    // Starts the wizard, waits for its window with the given title, and
    // closes it with Cancel. False if the window never came.
    bool WizardShows(const std::wstring& args, const std::wstring& title) {
        test::Process setup(Setup(args));
        HWND wizard = nullptr;
        bool shown = test::WaitFor([&] { return (wizard = test::FindProcessWindow(setup.Id(), title)) != nullptr; });
        if (shown) ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(0, setup.Wait());
        return shown;
    }

    test::ScratchDir dir_;
    test::Installation product_{test::UniqueTag()};
    std::wstring medium_;
};

struct SilentWord {
    const char* name;
    const wchar_t* word;
};

class SilentRunTest : public StartupTest, public ::testing::WithParamInterface<SilentWord> {};

TEST_P(SilentRunTest, InstallsWithoutAnyWindow) {
    test::Process setup(Setup(GetParam().word));
    ASSERT_TRUE(setup.Started());
    bool showedWindow = true;
    EXPECT_EQ(0, setup.WaitNoticingWindows(showedWindow, 120000));
    EXPECT_FALSE(showedWindow);
    EXPECT_TRUE(test::FileExists(product_.Installed(L"KXRaidSetup.exe")));
    EXPECT_TRUE(test::FileExists(product_.Installed(L"Uninstall\\setup.exe")));
    EXPECT_TRUE(test::FileExists(product_.desktopLink));
    HKEY entry;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, product_.uninstallKey.c_str(), 0, KEY_READ, &entry));
    ::RegCloseKey(entry);
}

INSTANTIATE_TEST_SUITE_P(Words, SilentRunTest,
                         ::testing::Values(SilentWord{"s", L"s"}, SilentWord{"dash_s", L"-s"},
                                           SilentWord{"slash_s", L"/s"}, SilentWord{"slash_capital_S", L"/S"}),
                         [](const ::testing::TestParamInfo<SilentWord>& info) { return info.param.name; });

TEST_F(StartupTest, MarksItsOwnLowerCasedPathOnNt6Only) {
    // Started under a name in capitals, it must still mark the lower-cased path.
    ASSERT_TRUE(::MoveFileW((medium_ + L"\\setup.exe").c_str(), (medium_ + L"\\SETUP.EXE").c_str()));
    std::wstring marked = Lower(medium_ + L"\\SETUP.EXE");
    ClearCompatMark(marked);
    test::Process setup(Setup(L"s", L"SETUP.EXE"));
    EXPECT_EQ(0, setup.Wait());
    EXPECT_EQ(test::ExpectedNt6() == 1, CompatMarked(marked));
    ClearCompatMark(marked);
}

TEST_F(StartupTest, InstallWizardForNoOrOtherWords) {
    for (const wchar_t* args : {L"", L"SilentDel", L"--delpkg"})
        EXPECT_TRUE(WizardShows(args, Title(L" - Installation Wizard"))) << args;
}

TEST_F(StartupTest, UninstallWizardForDelpkgEvenWithS) {
    for (const wchar_t* args : {L"delpkg", L"delpkg s"})
        EXPECT_TRUE(WizardShows(args, Title(L" - Uninstallation Wizard"))) << args;
}

TEST_F(StartupTest, TitleIsTheDefaultProductWithoutSetupIni) {
    ASSERT_TRUE(::DeleteFileW((medium_ + L"\\setup.ini").c_str()));
    EXPECT_TRUE(WizardShows(L"", L"Arrayvane - Installation Wizard"));
}

TEST_F(StartupTest, TitleFollowsAppNameOfSetupIni) {
    test::WriteTextFile(medium_ + L"\\setup.ini", "[Startup]\r\nAppName=Raid Tool\r\n");
    EXPECT_TRUE(WizardShows(L"", L"Raid Tool - Installation Wizard"));
}

TEST_F(StartupTest, SecondInstanceEndsAtOnce) {
    test::Process first(Setup(L""));
    HWND wizard = nullptr;
    ASSERT_TRUE(test::WaitFor([&] {
        return (wizard = test::FindProcessWindow(first.Id(), Title(L" - Installation Wizard"))) != nullptr;
    }));

    std::wstring marked = Lower(medium_ + L"\\setup.exe");
    ClearCompatMark(marked);
    for (const wchar_t* args : {L"", L"s", L"delpkg"}) {
        test::Process second(Setup(args));
        bool showedWindow = false;
        // It did nothing, and says so: Windows Installer's "another install is running".
        EXPECT_EQ(1618, second.WaitNoticingWindows(showedWindow, 20000)) << args;
        EXPECT_FALSE(showedWindow) << args;
    }
    // The second copies ended before looking at the system at all.
    EXPECT_FALSE(CompatMarked(marked));
    EXPECT_FALSE(test::FileExists(product_.installDir));

    ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, first.Wait());
}

TEST_F(StartupTest, MutexHeldByAnotherProgramStopsTheRun) {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"Arrayvane");
    ASSERT_NE(nullptr, mutex);
    test::Process setup(Setup(L""));
    EXPECT_EQ(1618, setup.Wait(20000));
    ::CloseHandle(mutex);
}

// A crash under test ends there, with its code, instead of waiting for a
// debugger (the prefixes switch Wine's off). crash.exe raises this code
// itself, so the check means the same natively and under an emulator.
TEST(PrefixTest, ACrashEndsAtOnceWithItsExceptionCode) {
    constexpr DWORD kCrashTestException = 0xE0C0DE01;
    test::Process crash(L"\"" + test::TestBinDir() + L"\\crash.exe\"");
    ASSERT_TRUE(crash.Started());
    EXPECT_EQ(static_cast<int>(kCrashTestException), crash.Wait(10000));
}

} // namespace
