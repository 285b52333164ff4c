#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/Installation.h"
#include "tests/support/TestSupport.h"

namespace {

bool KeyExists(const std::wstring& key) {
    HKEY handle;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

// The wizard of the real setup.exe runs the procedures on its worker: the
// action button starts one, and nothing ends the wizard until it is done.
// Each test installs a product of its own, removed again afterwards.
class WizardWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        product_.WriteSetupIni(medium_, 0);
        appName_ = product_.appName;
        installDir_ = product_.installDir;
        uninstallKey_ = product_.uninstallKey;
    }

    void TearDown() override {
        product_.RemoveAll();
        test::DeleteCompatMarksContaining(dir_.Path());
    }

    // Clicks the action button of the wizard of `commandLine`, then at once
    // clicks it again and asks the wizard to end in every way there is;
    // finishes once the end page shows. Returns the exit code, -1 if no
    // wizard came or it never reached its end page.
    static int RunWizard(const std::wstring& commandLine, const std::wstring& title) {
        test::Process setup(commandLine);
        HWND wizard = nullptr;
        if (!test::WaitFor([&] { return (wizard = test::FindProcessWindow(setup.Id(), title)) != nullptr; }))
            return -1;
        ::PostMessageW(wizard, WM_COMMAND, kAction, 0);
        ::PostMessageW(wizard, WM_COMMAND, kAction, 0);
        ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        ::PostMessageW(wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
        ::PostMessageW(wizard, WM_CLOSE, 0, 0);
        if (!test::WaitFor([&] { return ::IsWindowVisible(::GetDlgItem(wizard, IDOK)) != FALSE; }, 120000))
            return -1;
        ::PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        return setup.Wait(120000);
    }

    int Count(const std::string& step) const {
        std::ifstream in(log_.c_str(), std::ios::binary);
        std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int count = 0;
        for (size_t at = log.find(step); at != std::string::npos; at = log.find(step, at + 1)) ++count;
        return count;
    }

    static constexpr WPARAM kAction = 1000;
    test::ScratchDir dir_;
    test::Installation product_{test::UniqueTag()};
    std::wstring log_ = dir_ / L"standin.log";
    test::ScopedEnv logVariable_{L"AV_STANDIN_LOG", log_};
    std::wstring appName_, medium_, installDir_, uninstallKey_;
};

TEST_F(WizardWorkerTest, InstallRunsOnceToItsEndWhateverIsClickedMeanwhile) {
    ASSERT_EQ(0, RunWizard(L"\"" + medium_ + L"\\setup.exe\"", appName_ + L" - Installation Wizard"));
    // One worker only: the service was registered once.
    if (test::ExpectedNt6() == 1) {
        EXPECT_EQ(1, Count("ArrSvcSetup.exe\" -i"));
    }
    // The dialog ended only after the whole procedure: its last steps are done.
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\KXRaidSetup.exe"));
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\Uninstall\\setupENU.dll"));
    EXPECT_TRUE(KeyExists(uninstallKey_));
    EXPECT_TRUE(test::FileExists(product_.group + L"\\Uninstall.lnk"));
}

TEST_F(WizardWorkerTest, UninstallRunsToItsEndWhateverIsClickedMeanwhile) {
    ASSERT_EQ(0, RunWizard(L"\"" + medium_ + L"\\setup.exe\"", appName_ + L" - Installation Wizard"));
    ASSERT_TRUE(test::FileExists(installDir_ + L"\\Uninstall\\setup.exe"));
    // The finished install launched the application. The uninstall gives a
    // running one only a second to go, which a loaded machine may miss, so
    // it is closed first and this test looks at the worker alone.
    HWND application = nullptr;
    if (test::WaitFor([&] { return (application = ::FindWindowW(nullptr, appName_.c_str())) != nullptr; })) {
        ::PostMessageW(application, WM_CLOSE, 0, 0);
        EXPECT_TRUE(test::WaitFor([&] { return ::FindWindowW(nullptr, appName_.c_str()) == nullptr; }));
    }
    ASSERT_EQ(0, RunWizard(L"\"" + installDir_ + L"\\Uninstall\\setup.exe\" delpkg",
                           appName_ + L" - Uninstallation Wizard"));
    EXPECT_FALSE(test::FileExists(installDir_ + L"\\KXRaidSetup.exe"));
    EXPECT_FALSE(KeyExists(uninstallKey_));
    EXPECT_FALSE(test::FileExists(product_.group));
    if (test::ExpectedNt6() == 1) {
        EXPECT_EQ(1, Count("ArrSvcSetup.exe\" -u"));
    }
}

} // namespace
