#include <gtest/gtest.h>

#include <windows.h>

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

// The wizard of the real setup.exe runs the procedures on its worker: OK
// starts it, and the dialog ends when the worker's end notice arrives.
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

    // Confirms the wizard of `commandLine` with OK, then asks it to cancel
    // while its worker runs. Returns the exit code, -1 if no wizard came.
    static int RunWizard(const std::wstring& commandLine, const std::wstring& title) {
        test::Process setup(commandLine);
        HWND wizard = nullptr;
        if (!test::WaitFor([&] { return (wizard = test::FindProcessWindow(setup.Id(), title)) != nullptr; }))
            return -1;
        ::PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
        return setup.Wait(120000);
    }

    test::ScratchDir dir_;
    test::Installation product_{test::UniqueTag()};
    test::ScopedEnv log_{L"AV_STANDIN_LOG", dir_ / L"standin.log"};
    std::wstring appName_, medium_, installDir_, uninstallKey_;
};

TEST_F(WizardWorkerTest, InstallRunsToItsEndDespiteCancel) {
    ASSERT_EQ(0, RunWizard(L"\"" + medium_ + L"\\setup.exe\"", appName_ + L" - Installation Wizard"));
    // The dialog ended only after the whole procedure: its last steps are done.
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\KXRaidSetup.exe"));
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\Uninstall\\setupENU.dll"));
    EXPECT_TRUE(KeyExists(uninstallKey_));
    EXPECT_TRUE(test::FileExists(product_.group + L"\\Uninstall.lnk"));
}

TEST_F(WizardWorkerTest, UninstallRunsToItsEndDespiteCancel) {
    ASSERT_EQ(0, RunWizard(L"\"" + medium_ + L"\\setup.exe\"", appName_ + L" - Installation Wizard"));
    ASSERT_TRUE(test::FileExists(installDir_ + L"\\Uninstall\\setup.exe"));
    ASSERT_EQ(0, RunWizard(L"\"" + installDir_ + L"\\Uninstall\\setup.exe\" delpkg",
                           appName_ + L" - Uninstallation Wizard"));
    EXPECT_FALSE(test::FileExists(installDir_ + L"\\KXRaidSetup.exe"));
    EXPECT_FALSE(KeyExists(uninstallKey_));
    EXPECT_FALSE(test::FileExists(product_.group));
}

} // namespace
