// A reinstall over an installation that resists: an application that
// will not close or does not answer, a service tool that never ends. Each run ends by itself; where the new
// files could not all be copied it says so, and the uninstall entry still
// names an uninstaller that exists.
#include "tests/hostile/HostileTest.h"

#include <memory>

namespace hostile {
namespace {

class ReinstallTest : public HostileTest {
protected:
    // Starts the installed application in a stand-in mode and waits for
    // its window.
    void StartApplication(const wchar_t* mode) {
        test::ScopedEnv standinMode(L"AV_STANDIN_MODE", mode);
        application_ = std::make_unique<test::Process>(L"\"" + Installed(L"KXRaidSetup.exe") + L"\"");
        ASSERT_TRUE(test::WaitFor([&] { return ::FindWindowW(nullptr, product_->appName.c_str()) != nullptr; }));
    }

    // The reinstall could not replace the running application: it says
    // so, and leaves an installation its uninstaller can remove.
    void ExpectFailedCopyReported(const RunOutcome& outcome) const {
        ExpectReported(outcome, L"copy the application");
        ExpectUninstallEntryUsable();
    }

    std::unique_ptr<test::Process> application_;
};

TEST_F(ReinstallTest, ApplicationIgnoringCloseIsReportedWithoutHanging) {
    InstallOnce();
    StartApplication(L"ignore-close");
    ExpectFailedCopyReported(Run(L"s", 60000));
    EXPECT_NE(nullptr, ::FindWindowW(nullptr, product_->appName.c_str()));
}

TEST_F(ReinstallTest, HungApplicationWindowIsReportedWithoutHanging) {
    InstallOnce();
    StartApplication(L"hang");
    ExpectFailedCopyReported(Run(L"s", 60000));
}

TEST_F(ReinstallTest, ServiceToolThatNeverEndsDoesNotHoldTheInstall) {
    InstallOnce();
    // Every command of the tool from now on takes ten minutes.
    test::ScopedEnv slowTool(L"AV_STANDIN_DELAY_MS", L"600000");
    // On NT 6 each of its runs gets its bounded wait and is ended: "-k"
    // and "-u", then the rollback's "-i". The service they never stopped
    // holds the tool's file, so the install fails there, and rolls back.
    // Before NT 6 the tool is never run.
    const RunOutcome outcome = Run(L"s", 300000);
    if (test::ExpectedNt6()) {
        ExpectReported(outcome, L"Fail to copy the application files!");
        ExpectUninstallEntryUsable();
    } else {
        ExpectInstalled(outcome);
    }
    // Any run of the tool still asleep goes now, rather than hold the
    // clean-up.
    for (DWORD run : product_->ServiceToolRuns()) {
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, run);
        if (!process) continue;
        ::TerminateProcess(process, 99);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
}

} // namespace
} // namespace hostile
