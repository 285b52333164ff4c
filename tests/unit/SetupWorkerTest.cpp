#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/config/Paths.h"
#include "tests/support/TestSupport.h"
#include "wizard/SetupWorker.h"

namespace {

using Notices = std::vector<std::pair<WPARAM, LPARAM>>;

// A real top-level window that records the progress notices it receives.
class NoticeWindow {
public:
    NoticeWindow() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SetupWorkerTestWindow";
        ::RegisterClassW(&windowClass);
        hwnd_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NoticeWindow() { ::DestroyWindow(hwnd_); }
    HWND Hwnd() const { return hwnd_; }
    const Notices& Received() const { return received_; }
    void Clear() { received_.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<NoticeWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_SETUP_PROGRESS && self) self->received_.emplace_back(wParam, lParam);
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
    Notices received_;
};

// What the chosen procedures saw, and what they answer.
struct Calls {
    int installs = 0, uninstalls = 0;
    std::wstring sourceDir, appName, fileName;
    SetupOutcome result = SetupOutcome::Done;
};
Calls calls;

SetupOutcome RecordInstall(const wchar_t* sourceDir, const SetupConfig& config) {
    ++calls.installs;
    calls.sourceDir = sourceDir;
    calls.appName = config.AppName;
    calls.fileName = config.APPFileName;
    return calls.result;
}

SetupOutcome RecordUninstall(const SetupConfig& config) {
    ++calls.uninstalls;
    calls.appName = config.AppName;
    calls.fileName = config.APPFileName;
    return calls.result;
}

const SetupProcedures kRecording = {&RecordInstall, &RecordUninstall};

class SetupWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls = Calls();
        source_ = dir_.Path() + L"\\";
    }
    WorkerStartBlock Block(HWND dialog, int mode) const {
        WorkerStartBlock block = {};
        CopyText(block.SourceDir, kPathChars, source_.c_str());
        block.Dialog = dialog;
        block.Mode = mode;
        return block;
    }
    // Waits for the worker to end, then takes every notice it posted.
    static DWORD Finish(const fw::Handle& thread) {
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), 30000));
        // Everything the worker posted is queued by now.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        DWORD code = 0;
        ::GetExitCodeThread(thread.Get(), &code);
        return code;
    }

    test::ScratchDir dir_;
    std::wstring source_;
    NoticeWindow window_;
};

TEST_F(SetupWorkerTest, InstallPostsBeginThenEndWithSuccess) {
    test::WriteTextFile(source_ + L"setup.ini", "[Startup]\r\nAppName=Worker Test\r\n");
    fw::Handle thread = StartSetupWorker(Block(window_.Hwnd(), 0), kRecording);
    ASSERT_TRUE(thread.IsValid());
    EXPECT_EQ(1u, Finish(thread));
    EXPECT_EQ((Notices{{PROGRESS_INSTALL_BEGIN, 0}, {PROGRESS_INSTALL_END, 1}}), window_.Received());
    EXPECT_EQ(1, calls.installs);
    EXPECT_EQ(0, calls.uninstalls);
    EXPECT_EQ(source_, calls.sourceDir);
    EXPECT_EQ(L"Worker Test", calls.appName);
}

TEST_F(SetupWorkerTest, UninstallPostsBeginThenEndWithSuccess) {
    fw::Handle thread = StartSetupWorker(Block(window_.Hwnd(), 1), kRecording);
    ASSERT_TRUE(thread.IsValid());
    EXPECT_EQ(1u, Finish(thread));
    EXPECT_EQ((Notices{{PROGRESS_UNINSTALL_BEGIN, 0}, {PROGRESS_UNINSTALL_END, 1}}), window_.Received());
    EXPECT_EQ(0, calls.installs);
    EXPECT_EQ(1, calls.uninstalls);
}

// The end notice carries the procedure's outcome as it is.
TEST_F(SetupWorkerTest, EndNoticeCarriesTheOutcome) {
    for (SetupOutcome outcome : {SetupOutcome::Failed, SetupOutcome::DoneAfterRestart, SetupOutcome::NewerInstalled}) {
        calls.result = outcome;
        const LPARAM code = static_cast<LPARAM>(outcome);
        window_.Clear();
        fw::Handle install = StartSetupWorker(Block(window_.Hwnd(), 0), kRecording);
        Finish(install);
        fw::Handle uninstall = StartSetupWorker(Block(window_.Hwnd(), 1), kRecording);
        Finish(uninstall);
        EXPECT_EQ((Notices{{PROGRESS_INSTALL_BEGIN, 0}, {PROGRESS_INSTALL_END, code},
                           {PROGRESS_UNINSTALL_BEGIN, 0}, {PROGRESS_UNINSTALL_END, code}}),
                  window_.Received());
    }
}

TEST_F(SetupWorkerTest, MissingSetupIniRunsWithTheDefaults) {
    ASSERT_FALSE(test::FileExists(source_ + L"setup.ini"));
    fw::Handle thread = StartSetupWorker(Block(window_.Hwnd(), 0), kRecording);
    Finish(thread);
    EXPECT_EQ(L"Arrayvane", calls.appName);
    EXPECT_EQ(L"KXRaidSetup.exe", calls.fileName);
    EXPECT_EQ((Notices{{PROGRESS_INSTALL_BEGIN, 0}, {PROGRESS_INSTALL_END, 1}}), window_.Received());
}

TEST_F(SetupWorkerTest, BlockChangedRightAfterTheStartDoesNotReachTheWorker) {
    NoticeWindow other;
    test::ScratchDir otherSource;
    WorkerStartBlock block = Block(window_.Hwnd(), 0);
    fw::Handle first = StartSetupWorker(block, kRecording);
    // Reused for a second start at once, as a quick second click would.
    CopyText(block.SourceDir, kPathChars, (otherSource.Path() + L"\\").c_str());
    block.Dialog = other.Hwnd();
    block.Mode = 1;
    Finish(first);
    EXPECT_EQ(1, calls.installs);
    EXPECT_EQ(0, calls.uninstalls);
    EXPECT_EQ(source_, calls.sourceDir);
    EXPECT_EQ((Notices{{PROGRESS_INSTALL_BEGIN, 0}, {PROGRESS_INSTALL_END, 1}}), window_.Received());
    EXPECT_TRUE(other.Received().empty());

    fw::Handle second = StartSetupWorker(block, kRecording);
    Finish(second);
    EXPECT_EQ(1, calls.uninstalls);
    EXPECT_EQ((Notices{{PROGRESS_UNINSTALL_BEGIN, 0}, {PROGRESS_UNINSTALL_END, 1}}), other.Received());
    EXPECT_EQ(2u, window_.Received().size());
}

TEST_F(SetupWorkerTest, DroppedHandleLeavesTheWorkerRunning) {
    StartSetupWorker(Block(window_.Hwnd(), 1), kRecording);
    EXPECT_TRUE(test::WaitFor([&] { return window_.Received().size() == 2; }));
    EXPECT_EQ((Notices{{PROGRESS_UNINSTALL_BEGIN, 0}, {PROGRESS_UNINSTALL_END, 1}}), window_.Received());
}

} // namespace
