#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "engine/Messages.h"
#include "engine/Paths.h"
#include "engine/Process.h"
#include "tests/support/TestSupport.h"

namespace {

// Spaces and letters outside any ANSI code page, in every command line.
const wchar_t kInstallFolder[] = L"Arrayvane \u00e9 \u9663\u5217";
const wchar_t kServiceName[] = L"ArrayvaneRaidService";
const wchar_t kApp[] = L"KXRaidSetup.exe";

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Sets an environment variable for this process and the programs it starts.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnv() { ::SetEnvironmentVariableW(name_, nullptr); }

private:
    const wchar_t* name_;
};

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

using ScOwner = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, BOOL(WINAPI*)(SC_HANDLE)>;

// The state the SCM reports for the stand-in service; 0 when it is not registered.
DWORD ServiceState() {
    ScOwner manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT), &::CloseServiceHandle);
    if (!manager) return 0;
    ScOwner service(::OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS), &::CloseServiceHandle);
    SERVICE_STATUS status = {};
    return service && ::QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

// An installation folder of its own, the stand-ins' log and the failure
// messages, for each test.
class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CreateDirectoryW(installDir_.c_str(), nullptr);
        shown.clear();
        SetMessageSink(&RecordMessage);
    }
    void TearDown() override {
        SetMessageSink(nullptr);
        // A service left behind by a failed check must not disturb later tests.
        if (ServiceState() == 0) return;
        std::wstring tool = Quoted(test::MediumDir() + L"\\Application\\" + kServiceTool);
        for (const wchar_t* step : {L" -k", L" -u"}) test::Process(tool + step).Wait();
    }
    void CopyStandin(const wchar_t* file) {
        std::wstring from = test::MediumDir() + L"\\Application\\" + file;
        ASSERT_TRUE(::CopyFileW(from.c_str(), (installDir_ + L"\\" + file).c_str(), FALSE));
    }

    test::ScratchDir dir_;
    std::wstring installDir_ = dir_ / kInstallFolder;
    std::wstring log_ = dir_ / L"standin.log";
    ScopedEnv logVariable_{L"AV_STANDIN_LOG", log_};
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

TEST_F(ProcessTest, ServiceToolRunsQuotedWithPausesAndDrivesTheRealService) {
    CopyStandin(kServiceTool);
    // Note when each command reaches the tool while the sequence runs.
    DWORD stopSeen = 0, removeSeen = 0;
    DWORD start = ::GetTickCount();
    std::thread takeDown([&] { StopAndRemoveService(installDir_.c_str()); });
    EXPECT_TRUE(test::WaitFor([&] {
        size_t count = LogLines(log_).size();
        if (count >= 1 && !stopSeen) stopSeen = ::GetTickCount();
        if (count >= 2 && !removeSeen) removeSeen = ::GetTickCount();
        return count >= 2;
    }));
    takeDown.join();
    EXPECT_GE(::GetTickCount() - start, 1950u);
    EXPECT_GE(removeSeen - stopSeen, 800u);

    EXPECT_EQ(1, RegisterService(installDir_.c_str()));
    ASSERT_TRUE(test::WaitFor([&] { return LogLines(log_).size() >= 3; }));
    std::wstring tool = Quoted(installDir_ + L"\\" + kServiceTool);
    EXPECT_EQ((std::vector<std::wstring>{tool + L" -k", tool + L" -u", tool + L" -i"}), LogLines(log_));
    EXPECT_TRUE(test::WaitFor([] { return ServiceState() == SERVICE_RUNNING; }));

    StopAndRemoveService(installDir_.c_str());
    EXPECT_TRUE(test::WaitFor([] { return ServiceState() == 0; }));
    EXPECT_TRUE(shown.empty());
}

TEST_F(ProcessTest, MissingOrUnreachableToolFailsOnlyTheRegistration) {
    DWORD takeDown = ElapsedMs([&] { StopAndRemoveService(installDir_.c_str()); });
    EXPECT_GE(takeDown, 1950u);
    EXPECT_LT(takeDown, 5000u);
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
        static int counter = 0;
        appName_ = L"Arrayvane " + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
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

TEST_F(ApplicationTest, ClosesTheWindowTitledAppNameAndWaits) {
    HWND window = Launch(L"");
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_EQ(std::vector<std::wstring>{Quoted(installDir_ + L"\\" + kApp)}, LogLines(log_));

    EXPECT_GE(ElapsedMs([&] { CloseRunningApplication(appName_.c_str()); }), 1000u);
    ASSERT_TRUE(Ended());
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(app_.Get(), &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(test::FileExists(installDir_ + L"\\Cfg.KX"));
}

TEST_F(ApplicationTest, NoWindowOfThatTitleMeansNothingSentAndNoPause) {
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
        ScopedEnv misbehave(L"AV_STANDIN_MODE", mode);
        ASSERT_NE(nullptr, Launch(L"")) << mode;
        DWORD elapsed = ElapsedMs([&] { CloseRunningApplication(appName_.c_str()); });
        EXPECT_GE(elapsed, 1000u) << mode;
        EXPECT_LT(elapsed, 15000u) << mode;
        EXPECT_FALSE(Ended(0)) << mode;
        EndApp();
    }
}

} // namespace
