#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace {

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

bool KeyExists(const std::wstring& key) {
    HKEY handle;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

// The wizard of the real setup.exe runs the procedures on its worker: OK
// starts it, and the dialog ends when the worker's end notice arrives.
// Each test installs under a folder and product name of its own and takes
// the installation away again afterwards.
class WizardWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        std::wstring tag = std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
        folder_ = L"AvWorker " + tag;
        appName_ = L"Arrayvane Worker " + tag;
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        test::WriteTextFile(medium_ + L"\\setup.ini", "[Customized_Setting]\r\nAPPFolderName=" + Narrow(folder_) +
                                                          "\r\n[Startup]\r\nAppName=" + Narrow(appName_) + "\r\n");
        installDir_ = std::wstring(L"C:\\") +
                      (test::ExpectedWow64() ? L"Program Files (x86)" : L"Program Files") + L"\\" + folder_;
        uninstallKey_ = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + folder_;
        ::SetEnvironmentVariableW(L"AV_STANDIN_LOG", (dir_ / L"standin.log").c_str());
    }

    void TearDown() override {
        if (test::FileExists(installDir_ + L"\\Uninstall\\setup.exe")) {
            std::wstring uninstaller = L"\"" + installDir_ + L"\\Uninstall\\setup.exe\" delpkg";
            RunWizard(uninstaller, appName_ + L" - Uninstallation Wizard");
        }
        ::SetEnvironmentVariableW(L"AV_STANDIN_LOG", nullptr);
        // The uninstaller's script may still be removing its folder.
        test::WaitFor([&] { return !test::FileExists(installDir_ + L"\\Uninstall"); }, 60000);
        test::RemoveTree(installDir_);
        test::RemoveTree(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + appName_);
        ::DeleteFileW((SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + appName_ + L".lnk").c_str());
        ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, uninstallKey_.c_str());
    }

    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

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
    std::wstring folder_, appName_, medium_, installDir_, uninstallKey_;
};

TEST_F(WizardWorkerTest, InstallRunsToItsEndDespiteCancel) {
    ASSERT_EQ(0, RunWizard(L"\"" + medium_ + L"\\setup.exe\"", appName_ + L" - Installation Wizard"));
    // The dialog ended only after the whole procedure: its last steps are done.
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\KXRaidSetup.exe"));
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\Uninstall\\setupENU.dll"));
    EXPECT_TRUE(KeyExists(uninstallKey_));
    EXPECT_TRUE(test::FileExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + appName_ + L"\\Uninstall.lnk"));
}

TEST_F(WizardWorkerTest, UninstallRunsToItsEndDespiteCancel) {
    ASSERT_EQ(0, RunWizard(L"\"" + medium_ + L"\\setup.exe\"", appName_ + L" - Installation Wizard"));
    ASSERT_TRUE(test::FileExists(installDir_ + L"\\Uninstall\\setup.exe"));
    ASSERT_EQ(0, RunWizard(L"\"" + installDir_ + L"\\Uninstall\\setup.exe\" delpkg",
                           appName_ + L" - Uninstallation Wizard"));
    EXPECT_FALSE(test::FileExists(installDir_ + L"\\KXRaidSetup.exe"));
    EXPECT_FALSE(KeyExists(uninstallKey_));
    EXPECT_FALSE(test::FileExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + appName_));
}

} // namespace
