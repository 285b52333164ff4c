#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "engine/report/Messages.h"
#include "engine/config/Paths.h"
#include "engine/system/Process.h"
#include "tests/support/TestSupport.h"

namespace {

// Spaces and letters outside any ANSI code page, in every command line.
const wchar_t kInstallFolder[] = L"Arrayvane \u00e9 \u9663\u5217";
const wchar_t kApp[] = L"KXRaidSetup.exe";

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// The complete lines the stand-ins have logged so far.
std::vector<std::wstring> LogLines(const std::wstring& path) {
    fw::Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    char bytes[8192];
    DWORD read = 0;
    if (file.IsValid()) ::ReadFile(file.Get(), bytes, sizeof bytes, &read, nullptr);
    std::wstring text(read, L'\0');
    text.resize(::MultiByteToWideChar(CP_UTF8, 0, bytes, read, &text[0], read));
    std::vector<std::wstring> lines;
    for (size_t begin = 0, end; (end = text.find(L"\r\n", begin)) != std::wstring::npos; begin = end + 2)
        lines.push_back(text.substr(begin, end - begin));
    return lines;
}

// The failure messages shown, as "text|caption|flags".
std::vector<std::wstring> shown;
void RecordMessage(const wchar_t* text, const wchar_t* caption, UINT flags) {
    shown.push_back(std::wstring(text) + L"|" + caption + L"|" + std::to_wstring(flags));
}
const std::wstring kServiceFailure = L"Fail to install the service!|Fail|" + std::to_wstring(MB_ICONWARNING);

template <typename Work>
DWORD ElapsedMs(Work work) {
    DWORD start = ::GetTickCount();
    work();
    return ::GetTickCount() - start;
}

// An installation folder, a service name, the stand-ins' log and the
// failure messages of its own, for each test.
class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CreateDirectoryW(installDir_.c_str(), nullptr);
        shown.clear();
        SetMessageSink(&RecordMessage);
    }
    void TearDown() override {
        SetMessageSink(nullptr);
        test::DeleteService(serviceName_);
    }
    void CopyStandin(const wchar_t* file) {
        std::wstring from = test::MediumDir() + L"\\Application\\" + file;
        ASSERT_TRUE(::CopyFileW(from.c_str(), (installDir_ + L"\\" + file).c_str(), FALSE));
    }
    DWORD ServiceState() const { return test::ServiceState(serviceName_); }

    test::ScratchDir dir_;
    std::wstring installDir_ = dir_ / kInstallFolder;
    std::wstring log_ = dir_ / L"standin.log";
    test::ScopedEnv logVariable_{L"AV_STANDIN_LOG", log_};
    std::wstring serviceName_ = L"AvProcSvc " + test::UniqueTag();
    test::ScopedEnv serviceVariable_{L"AV_STANDIN_SERVICE", serviceName_};
};

TEST_F(ProcessTest, ComposeQuotesTheProgramAndRefusesWhatDoesNotFit) {
    wchar_t line[kPathChars];
    ASSERT_TRUE(ComposeCommandLine(line, kPathChars, L"C:\\Program Files\\HBC71K", kServiceTool, L"-k"));
    EXPECT_STREQ(L"\"C:\\Program Files\\HBC71K\\ArrSvcSetup.exe\" -k", line);
    ASSERT_TRUE(ComposeCommandLine(line, kPathChars, L"C:\\A", kApp, L""));
    EXPECT_STREQ(L"\"C:\\A\\KXRaidSetup.exe\"", line);

    // The quotes, "\ArrSvcSetup.exe" and " -i" take 21 of the 259 characters.
    std::wstring fits(259 - 21, L'd');
    EXPECT_TRUE(ComposeCommandLine(line, kPathChars, fits.c_str(), kServiceTool, L"-i"));
    EXPECT_FALSE(ComposeCommandLine(line, kPathChars, (fits + L"d").c_str(), kServiceTool, L"-i"));
    EXPECT_STREQ(L"", line);
}

TEST_F(ProcessTest, ServiceToolRunsQuotedInOrderAndDrivesTheRealService) {
    CopyStandin(kServiceTool);
    StopAndRemoveService(installDir_.c_str());
    EXPECT_EQ(1, RegisterService(installDir_.c_str()));
    ASSERT_TRUE(test::WaitFor([&] { return LogLines(log_).size() >= 3; }));
    std::wstring tool = Quoted(installDir_ + L"\\" + kServiceTool);
    EXPECT_EQ((std::vector<std::wstring>{tool + L" -k", tool + L" -u", tool + L" -i"}), LogLines(log_));
    EXPECT_TRUE(test::WaitFor([&] { return ServiceState() == SERVICE_RUNNING; }));

    StopAndRemoveService(installDir_.c_str());
    EXPECT_TRUE(test::WaitFor([&] { return ServiceState() == 0; }));
    EXPECT_TRUE(shown.empty());
}

// A tool whose "-k" returns while the service still takes its time to
// stop, or a tool slow itself: the take-down ends once the service has
// gone and its program has ended (its file can then be deleted).
TEST_F(ProcessTest, TheTakeDownEndsOnceTheServiceHasGone) {
    CopyStandin(kServiceTool);
    const wchar_t* const slowness[] = {L"AV_STANDIN_STOP_AT_ONCE", L"AV_STANDIN_DELAY_MS"};
    for (const wchar_t* slow : slowness) {
        SCOPED_TRACE(test::Narrow(slow));
        {
            test::ScopedEnv slowStop(L"AV_STANDIN_SERVICE_STOP_MS", L"1500");
            ASSERT_EQ(1, RegisterService(installDir_.c_str()));
        }
        ASSERT_TRUE(test::WaitFor([&] { return ServiceState() == SERVICE_RUNNING; }));
        test::ScopedEnv slowTool(slow, L"1500");
        StopAndRemoveService(installDir_.c_str());
        EXPECT_EQ(0u, ServiceState());
        const std::wstring copy = installDir_ + L"\\" + kServiceTool;
        EXPECT_TRUE(::DeleteFileW(copy.c_str())) << ::GetLastError();
        CopyStandin(kServiceTool);
    }
}

TEST_F(ProcessTest, MissingOrUnreachableToolFailsOnlyTheRegistration) {
    StopAndRemoveService(installDir_.c_str());
    EXPECT_TRUE(shown.empty());

    EXPECT_EQ(0, RegisterService(installDir_.c_str()));
    EXPECT_EQ(std::vector<std::wstring>{kServiceFailure}, shown);

    // With the tool there, a folder too long for the command line is
    // refused, not cut.
    CopyStandin(kServiceTool);
    std::wstring deep = installDir_ + L"\\" + std::wstring(240, L'x');
    EXPECT_EQ(0, RegisterService(deep.c_str()));
    EXPECT_EQ((std::vector<std::wstring>{kServiceFailure, kServiceFailure}), shown);
    EXPECT_TRUE(LogLines(log_).empty());
}

// The application stand-in in its own folder, under a title no other test
// uses; ended at the end of the test if it is still running.
class ApplicationTest : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        CopyStandin(kApp);
        CopyStandin(L"mingwm10.dll");
        appName_ = L"Arrayvane " + test::UniqueTag();
        std::string ini = "[Startup]\r\nAppName=" + std::string(appName_.begin(), appName_.end()) + "\r\n";
        test::WriteTextFile(installDir_ + L"\\setup.ini", ini);
    }
    void TearDown() override {
        EndApp();
        ProcessTest::TearDown();
    }
    void EndApp() {
        if (!app_.IsValid() || Ended(0)) return;
        ::TerminateProcess(app_.Get(), 99);
        Ended();
    }
    // Starts the application as the installer does; its window, once shown.
    HWND Launch(const wchar_t* args) {
        wchar_t line[kPathChars];
        EXPECT_TRUE(ComposeCommandLine(line, kPathChars, installDir_.c_str(), kApp, args));
        app_ = RunProgram(line, 1);
        HWND window = nullptr;
        test::WaitFor([&] {
            window = ::FindWindowW(nullptr, appName_.c_str());
            return (window && ::IsWindowVisible(window)) || Ended(0);
        });
        return window;
    }
    bool Ended(DWORD timeoutMs = 20000) const { return ::WaitForSingleObject(app_.Get(), timeoutMs) == WAIT_OBJECT_0; }

    std::wstring appName_;
    fw::Handle app_;
};

// Until its process has ended, even when that takes its time after the
// window has gone.
TEST_F(ApplicationTest, ClosesTheWindowTitledAppNameAndWaitsForItsEnd) {
    test::ScopedEnv slowEnd(L"AV_STANDIN_END_MS", L"1500");
    HWND window = Launch(L"");
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_EQ(std::vector<std::wstring>{Quoted(installDir_ + L"\\" + kApp)}, LogLines(log_));

    CloseRunningApplication(appName_.c_str());
    ASSERT_TRUE(Ended(0));
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(app_.Get(), &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\Cfg.KX"));
}

// The creation flags of every process RunProgram starts.
std::vector<DWORD> creationFlags;
BOOL WINAPI RecordingCreateProcess(const wchar_t* application, wchar_t* commandLine, SECURITY_ATTRIBUTES* process,
                                   SECURITY_ATTRIBUTES* thread, BOOL inherit, DWORD flags, void* environment,
                                   const wchar_t* folder, STARTUPINFOW* startup, PROCESS_INFORMATION* info) {
    creationFlags.push_back(flags);
    return ::CreateProcessW(application, commandLine, process, thread, inherit, flags, environment, folder,
                            startup, info);
}

TEST_F(ApplicationTest, ProgramsStartAtNormalPriority) {
    creationFlags.clear();
    SetProcessCreator(&RecordingCreateProcess);
    HWND window = Launch(L"");
    CopyStandin(kServiceTool);
    StopAndRemoveService(installDir_.c_str());
    EXPECT_EQ(1, RegisterService(installDir_.c_str()));
    SetProcessCreator(nullptr);
    // "-i" goes on after RegisterService returns; tear-down removes the
    // service only once it is there.
    EXPECT_TRUE(test::WaitFor([&] { return ServiceState() == SERVICE_RUNNING; }));
    ASSERT_NE(nullptr, window);

    // Windows gives a child the class it is asked for, even real-time,
    // which would starve the machine; normal, never inherited from us.
    const DWORD classes = IDLE_PRIORITY_CLASS | BELOW_NORMAL_PRIORITY_CLASS | NORMAL_PRIORITY_CLASS |
                          ABOVE_NORMAL_PRIORITY_CLASS | HIGH_PRIORITY_CLASS | REALTIME_PRIORITY_CLASS;
    ASSERT_EQ(4u, creationFlags.size());
    for (DWORD flags : creationFlags) EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), flags & classes);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), ::GetPriorityClass(app_.Get()));
}

TEST_F(ApplicationTest, NoWindowOfThatTitleMeansNothingSentAndNoWait) {
    // An untitled window of ours must not be taken for an application with
    // an empty name.
    HWND untitled = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, untitled);
    EXPECT_LT(ElapsedMs([&] { CloseRunningApplication(appName_.c_str()); }), 500u);
    EXPECT_LT(ElapsedMs([&] { CloseRunningApplication(L""); }), 500u);
    EXPECT_TRUE(::IsWindow(untitled));
    ::DestroyWindow(untitled);
}

TEST_F(ApplicationTest, StartsMinimisedWithMinAndNotAtAllWithoutItsDll) {
    HWND window = Launch(L"min");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(::IsIconic(window));
    EndApp();

    ASSERT_TRUE(::DeleteFileW((installDir_ + L"\\mingwm10.dll").c_str()));
    EXPECT_EQ(nullptr, Launch(L""));
    DWORD exitCode = 0;
    EXPECT_TRUE(Ended() && ::GetExitCodeProcess(app_.Get(), &exitCode) && exitCode != 0);
}

TEST_F(ApplicationTest, WindowThatDoesNotAnswerCostsABoundedWait) {
    for (const wchar_t* mode : {L"ignore-close", L"hang"}) {
        test::ScopedEnv misbehave(L"AV_STANDIN_MODE", mode);
        ASSERT_NE(nullptr, Launch(L"")) << mode;
        DWORD elapsed = ElapsedMs([&] { CloseRunningApplication(appName_.c_str(), 1000); });
        EXPECT_GE(elapsed, 950u) << mode;
        EXPECT_LT(elapsed, 15000u) << mode;
        EXPECT_FALSE(Ended(0)) << mode;
        EndApp();
    }
}

} // namespace
