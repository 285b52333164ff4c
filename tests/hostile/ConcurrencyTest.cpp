// Two installers started at once: one does the work, the other ends at
// once and says, by its exit code, that it did nothing.
#include "tests/hostile/HostileTest.h"

#include <thread>

namespace hostile {
namespace {

class ConcurrencyTest : public HostileTest {};

TEST_F(ConcurrencyTest, TwoSetupsAtOnceInstallOnceAndNeitherBreaks) {
    Watch();
    RunOutcome first, second;
    std::thread one([&] { first = RunSetup(Setup(L"s")); });
    std::thread other([&] { second = RunSetup(Setup(L"s")); });
    one.join();
    other.join();
    ExpectEndedCleanly(first, Setup(L"s"), 120000);
    ExpectEndedCleanly(second, Setup(L"s"), 120000);
    // Each ended either by installing or by finding the other at work;
    // unless one was done before the other began, exactly one installed.
    for (const RunOutcome* run : {&first, &second}) {
        EXPECT_TRUE(run->exitCode == 0 || run->exitCode == 1618) << run->exitCode;
        EXPECT_TRUE(run->failMessages.empty());
        EXPECT_FALSE(run->otherWindow);
    }
    EXPECT_TRUE(first.exitCode == 0 || second.exitCode == 0);
    ExpectUninstallEntryUsable();
    EXPECT_TRUE(test::FileExists(Installed(L"KXRaidSetup.exe")));
    EXPECT_TRUE(test::FileExists(product_->desktopLink));
}

} // namespace
} // namespace hostile
