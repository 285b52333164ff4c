#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/SelfDeleteScript.h"
#include "framework/Handle.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kTries = 3;

// The script as the uninstaller writes it, for a folder of the test's own,
// run by Wine's command interpreter.
class SelfDeleteScriptRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CreateDirectoryW(installDir_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((installDir_ + L"\\Uninstall").c_str(), nullptr));
        test::WriteTextFile(setupExe_, "uninstaller");
        test::WriteTextFile(installDir_ + L"\\Uninstall\\setup.ini", "[Startup]\r\n");
        ScriptText text;
        ASSERT_TRUE(ComposeSelfDeleteScript(installDir_.c_str(), ::GetOEMCP(), text, kTries));
        test::WriteTextFile(script_, std::string(text.View()));
    }
    // Runs the script to its end; the milliseconds it took, or -1 when it
    // did not end within the deadline.
    long Run(DWORD deadlineMs) {
        DWORD start = ::GetTickCount();
        test::Process cmd(L"cmd.exe /c \"" + script_ + L"\"", installDir_);
        EXPECT_TRUE(cmd.Started());
        if (cmd.Wait(deadlineMs) == -1) return -1;
        return static_cast<long>(::GetTickCount() - start);
    }

    test::ScratchDir dir_;
    std::wstring installDir_ = dir_ / L"Product";
    std::wstring setupExe_ = installDir_ + L"\\Uninstall\\setup.exe";
    std::wstring script_ = installDir_ + L"\\" + kSelfDeleteScriptName;
};

TEST_F(SelfDeleteScriptRunTest, GivesUpOnAFolderThatStaysLockedAndLeavesIt) {
    // Held open without delete sharing, as by an uninstaller that never ends.
    fw::Handle lock(::CreateFileW(setupExe_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    ASSERT_TRUE(lock.IsValid());

    long elapsed = Run(20000);
    ASSERT_NE(-1, elapsed) << "the script never gave up";
    // A second's pause before each try: a loop without it would spin.
    EXPECT_GE(elapsed, (kTries - 1) * 900L);
    EXPECT_TRUE(test::FileExists(setupExe_));
    EXPECT_TRUE(test::FileExists(installDir_));
    EXPECT_TRUE(test::FileExists(script_));
}

TEST_F(SelfDeleteScriptRunTest, RemovesTheUninstallerFolderAndItselfOnceFree) {
    test::WriteTextFile(installDir_ + L"\\Images.keep", "");
    ASSERT_NE(-1, Run(20000));
    EXPECT_FALSE(test::FileExists(installDir_ + L"\\Uninstall"));
    EXPECT_FALSE(test::FileExists(script_));
    // InstallDir goes only when empty.
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\Images.keep"));
}

} // namespace
