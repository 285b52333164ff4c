#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "tests/support/Installation.h"
#include "tests/support/TestSupport.h"

namespace {

// The wizard's install and uninstall labels in the languages the tests run
// under: AV_EXPECT_LANGUAGE names the module the locale must choose.
struct Labels {
    const wchar_t* install;
    const wchar_t* remove;
    const wchar_t* cancel;
};
const std::map<std::wstring, Labels> kLabels = {
    {L"ENU", {L"Install", L"Remove", L"Cancel"}},
    {L"CHT", {L"安裝", L"移除", L"取消"}},
    {L"DEU", {L"Installieren", L"Entfernen", L"Abbrechen"}},
};

std::wstring ExpectedLanguage() {
    std::wstring language = test::Env(L"AV_EXPECT_LANGUAGE");
    return language.empty() ? L"ENU" : language;
}

std::wstring ItemText(HWND dialog, int item) {
    wchar_t text[256] = {};
    ::GetDlgItemTextW(dialog, item, text, 256);
    return text;
}

// Runs setup.exe from a private copy of the medium.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        ASSERT_TRUE(test::FileExists(medium_ + L"\\setupENU.dll"));
    }
    // Start-up marks the copy's path on NT 6.
    void TearDown() override { test::DeleteCompatMarksContaining(dir_.Path()); }
    std::wstring Setup(const std::wstring& args) const {
        return L"\"" + medium_ + L"\\setup.exe\"" + (args.empty() ? L"" : L" " + args);
    }
    void RemoveModule(const std::wstring& language) const {
        ASSERT_TRUE(::DeleteFileW((medium_ + L"\\setup" + language + L".dll").c_str())) << language.c_str();
    }
    // The labels of the action and Cancel buttons of the wizard that opens
    // with `title`; the wizard is cancelled afterwards.
    std::pair<std::wstring, std::wstring> WizardLabels(const std::wstring& args, const std::wstring& title) {
        test::Process setup(Setup(args));
        HWND wizard = nullptr;
        std::pair<std::wstring, std::wstring> labels;
        if (test::WaitFor([&] { return (wizard = test::FindProcessWindow(setup.Id(), title)) != nullptr; })) {
            labels = {ItemText(wizard, 1000), ItemText(wizard, IDCANCEL)};
            ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
        }
        EXPECT_EQ(0, setup.Wait());
        return labels;
    }

    test::ScratchDir dir_;
    std::wstring medium_;
};

TEST_F(LanguageTest, WizardSpeaksTheLanguageOfTheLocale) {
    const Labels& expected = kLabels.at(ExpectedLanguage());
    auto install = WizardLabels(L"", L"Arrayvane - Installation Wizard");
    EXPECT_EQ(expected.install, install.first);
    EXPECT_EQ(expected.cancel, install.second);
    auto uninstall = WizardLabels(L"delpkg", L"Arrayvane - Uninstallation Wizard");
    EXPECT_EQ(expected.remove, uninstall.first);
    EXPECT_EQ(expected.cancel, uninstall.second);
}

TEST_F(LanguageTest, LanguageWithoutModuleSpeaksEnglish) {
    if (ExpectedLanguage() == L"ENU") GTEST_SKIP() << "runs under a locale other than English";
    RemoveModule(ExpectedLanguage());
    auto labels = WizardLabels(L"", L"Arrayvane - Installation Wizard");
    EXPECT_EQ(L"Install", labels.first);
    EXPECT_EQ(L"Cancel", labels.second);
}

TEST_F(LanguageTest, NoModuleBesideTheProgramShowsNoWindowAndEnds) {
    for (const wchar_t* language : {L"ENU", L"CHT", L"CHS", L"JPN", L"DEU", L"KOR", L"FRA", L"ITA", L"RUS",
                                    L"ESN", L"SVE", L"NLD", L"PTB"})
        RemoveModule(language);
    test::Process setup(Setup(L""));
    ASSERT_TRUE(setup.Started());
    bool windowSeen = false;
    int exitCode = -1;
    // Watch for a window for as long as the program runs.
    EXPECT_TRUE(test::WaitFor([&] {
        windowSeen = windowSeen || test::FindProcessWindow(setup.Id(), L"Arrayvane - Installation Wizard");
        exitCode = setup.Wait(0);
        return exitCode != -1;
    }));
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(windowSeen);
}

} // namespace
