// A reinstall over an installation that resists: an application that
// will not close or does not answer, a service tool that never ends. Each
// run ends by itself. A running program's file is renamed aside and
// replaced (the renamed one goes at the next restart); where the new
// service cannot be registered the run says so, and the uninstall entry
// still names an uninstaller that exists.
#include "tests/hostile/HostileTest.h"

#include <memory>

namespace hostile {
namespace {

// Seconds; long enough for the tool's quick commands even under emulation.
constexpr int kShortToolTimeout = 8;
// Seconds the install waits for an application that does not end.
constexpr int kShortStopTimeout = 2;

class ReinstallTest : public HostileTest {
protected:
    // Starts the installed application in a stand-in mode and waits for
    // its window.
    void StartApplication(const wchar_t* mode) {
        test::ScopedEnv standinMode(L"AV_STANDIN_MODE", mode);
        application_ = std::make_unique<test::Process>(L"\"" + Installed(L"KXRaidSetup.exe") + L"\"");
        ASSERT_TRUE(test::WaitFor([&] { return ::FindWindowW(nullptr, product_->appName.c_str()) != nullptr; }));
    }

    // The reinstall replaced the running application's file: the new one is
    // in place while the old one still runs.
    void ExpectReplacedWhileRunning(const RunOutcome& outcome) const {
        ExpectInstalled(outcome);
        EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(application_->Handle(), 0)) << "still running";
    }

    std::unique_ptr<test::Process> application_;
};

TEST_F(ReinstallTest, ApplicationIgnoringCloseIsReplacedWithoutHanging) {
    product_->WriteSetupIni(medium_, 0, 0, kShortStopTimeout);
    InstallOnce();
    StartApplication(L"ignore-close");
    ExpectReplacedWhileRunning(Run(L"s", 60000));
    EXPECT_NE(nullptr, ::FindWindowW(nullptr, product_->appName.c_str()));
}

TEST_F(ReinstallTest, HungApplicationWindowIsReplacedWithoutHanging) {
    product_->WriteSetupIni(medium_, 0, 0, kShortStopTimeout);
    InstallOnce();
    StartApplication(L"hang");
    ExpectReplacedWhileRunning(Run(L"s", 60000));
}

TEST_F(ReinstallTest, ServiceToolThatNeverEndsDoesNotHoldTheInstall) {
    // Each run of the tool gets setup.ini's bound, shorter than the default
    // 30 s that the upgrade table's first install keeps.
    product_->WriteSetupIni(medium_, 0, kShortToolTimeout);
    InstallOnce();
    // Every command of the tool from now on takes ten minutes. On NT 6 each
    // of its runs is ended at the bound: "-k" and "-u", the new tool's "-i",
    // which fails the install, then the rollback's "-k", "-u" and "-i".
    // Before NT 6 the tool is never run.
    test::ScopedEnv slowTool(L"AV_STANDIN_DELAY_MS", L"600000");
    const RunOutcome outcome = Run(L"s", 6 * (kShortToolTimeout + 10) * 1000);
    if (test::ExpectedNt6()) {
        ExpectReported(outcome, L"Fail to install the service!");
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
