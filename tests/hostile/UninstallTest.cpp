// Uninstalls that find less than an installation: the product already
// removed once, or its files removed by hand. The uninstaller ends by
// itself, removes what is left and touches nothing else.
#include "tests/hostile/HostileTest.h"

namespace hostile {
namespace {

// A file kept open without delete sharing, as a virus scanner or a backup
// may hold it: nothing can delete it while the handle lives.
// In the application's place, a folder holding a file of the user's: it
// cannot be deleted, nor is it a file that another program holds, which
// the next restart could take away.
void PutAFolderInPlaceOf(const std::wstring& file) {
    ASSERT_TRUE(::DeleteFileW(file.c_str()));
    ASSERT_TRUE(::CreateDirectoryW(file.c_str(), nullptr));
    test::WriteTextFile(file + L"\\notes.txt", "mine");
}

class UninstallTest : public HostileTest {
protected:
    // Runs the uninstall wizard of that command line to its end.
    void UninstallWith(const std::wstring& commandLine) {
        WizardClicker wizard(product_->appName + L" - Uninstallation Wizard");
        RunOutcome outcome = RunCommand(commandLine, 120000, &wizard);
        EXPECT_TRUE(wizard.Seen());
        EXPECT_EQ(0u, outcome.exitCode);
        EXPECT_TRUE(outcome.failMessages.empty());
    }

    void ExpectRemoved() const {
        EXPECT_FALSE(KeyExists(product_->uninstallKey));
        EXPECT_FALSE(test::FileExists(Installed(L"KXRaidSetup.exe")));
        EXPECT_FALSE(test::FileExists(product_->desktopLink));
        EXPECT_FALSE(test::FileExists(product_->group));
        if (test::ExpectedNt6()) {
            EXPECT_TRUE(test::WaitFor([&] { return test::ServiceState(product_->serviceName) == 0; }, 30000));
        }
        // The self-delete script takes the uninstaller's folder once it has ended.
        EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(Installed(L"Uninstall")); }, 60000));
    }
};

TEST_F(UninstallTest, RunTwiceRemovesOnceAndThenFindsNothingToBreak) {
    InstallOnce();
    // A copy of the uninstaller kept elsewhere, run after the first uninstall.
    const std::wstring kept = dir_ / L"kept uninstaller";
    test::CopyTree(Installed(L"Uninstall"), kept);
    UninstallWith(UninstallerCommand());
    ExpectRemoved();
    UninstallWith(L"\"" + kept + L"\\setup.exe\" delpkg");
    ExpectRemoved();
    // Its own folder lies outside the installation: it stays.
    EXPECT_TRUE(test::FileExists(kept + L"\\setup.exe"));
}

TEST_F(UninstallTest, FilesRemovedByHandAreNoObstacle) {
    InstallOnce();
    for (const wchar_t* name : {L"KXRaidSetup.exe", L"mingwm10.dll", L"setup.ini"})
        ASSERT_TRUE(::DeleteFileW(Installed(name).c_str())) << Narrow(name);
    test::RemoveTree(Installed(L"Images"));
    UninstallWith(UninstallerCommand());
    ExpectRemoved();
}

TEST_F(UninstallTest, FileThatCannotBeDeletedFailsAndKeepsTheWayToTryAgain) {
    InstallOnce();
    PutAFolderInPlaceOf(Installed(L"KXRaidSetup.exe"));
    WizardClicker wizard(product_->appName + L" - Uninstallation Wizard");
    RunOutcome outcome = RunCommand(UninstallerCommand(), 120000, &wizard);
    EXPECT_TRUE(wizard.Seen());
    EXPECT_NE(0u, outcome.exitCode);
    EXPECT_TRUE(test::FileExists(Installed(L"KXRaidSetup.exe")));
    // No script: one is written before the uninstaller ends and deletes
    // itself only after the uninstaller's folder, so by now it would be
    // there, or the uninstaller would be gone. The entry still names it.
    EXPECT_FALSE(test::FileExists(Installed(L"KxUninst.bat")));
    ExpectUninstallEntryUsable();
}

// The uninstall that deployment tools run: no window, and where a file
// cannot be deleted (nor left to the restart), exit code 1 and the way to
// try again kept.
TEST_F(UninstallTest, SilentUninstallOfAFileThatCannotBeDeletedFailsWithoutAWindow) {
    InstallOnce();
    PutAFolderInPlaceOf(Installed(L"KXRaidSetup.exe"));
    RunOutcome outcome = RunCommand(UninstallerCommand() + L" SilentDel");
    ASSERT_TRUE(outcome.silent);
    ExpectReported(outcome, L"remove");
    EXPECT_TRUE(test::FileExists(Installed(L"KXRaidSetup.exe")));
    EXPECT_FALSE(test::FileExists(Installed(L"KxUninst.bat")));
    ExpectUninstallEntryUsable();
}

} // namespace
} // namespace hostile
