// The wizard's way of refusing a name, and names outside ASCII, which are
// no threat and install like any other.
#include "tests/hostile/HostileTest.h"

namespace hostile {
namespace {

class WizardAndNamesTest : public HostileTest {};

TEST_F(WizardAndNamesTest, WizardRefusesADeviceNameWithAFailMessageAndItsFailedPage) {
    WriteIniWith("APPFileName=NUL.exe\r\n");
    WizardClicker wizard(product_->appName + L" - Installation Wizard");
    RunOutcome outcome = Run(L"", 120000, &wizard);
    EXPECT_TRUE(wizard.Seen());
    EXPECT_NE(0u, outcome.exitCode);
    ASSERT_EQ(1u, outcome.failMessages.size());
    EXPECT_NE(std::wstring::npos, outcome.failMessages[0].find(L"APPFileName"));
    EXPECT_FALSE(test::FileExists(product_->installDir));
    EXPECT_FALSE(KeyExists(product_->uninstallKey));
}

TEST_F(WizardAndNamesTest, NonAsciiNamesInstallUnchanged) {
    const std::wstring app = L"\u00c4rray \u5de5\u5177 \u03a9.exe";
    test::Installation& p = *product_;
    const std::wstring parent = p.installDir.substr(0, p.installDir.rfind(L'\\') + 1);
    p.folder = L"Caf\u00e9 \u9663\u5217 " + p.tag;
    p.installDir = parent + p.folder;
    p.uninstallKey = test::CurrentVersionKey() + L"Uninstall\\" + p.folder;
    ASSERT_TRUE(::CopyFileW((medium_ + L"\\Application\\KXRaidSetup.exe").c_str(),
                            (medium_ + L"\\Application\\" + app).c_str(), FALSE));
    WriteUnicodeIni(L"[Customized_Setting]\r\nAPPFolderName=" + p.folder + L"\r\nAPPFileName=" + app +
                    L"\r\n[Startup]\r\nAppName=" + p.appName + L"\r\n");
    RunOutcome outcome = Run(L"s");
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.failMessages.empty());
    EXPECT_TRUE(test::FileExists(Installed(app)));
    ExpectUninstallEntryUsable();
}

} // namespace
} // namespace hostile
