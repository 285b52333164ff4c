#include "engine/system/Process.h"

#include "engine/report/Messages.h"
#include "engine/config/Paths.h"
#include "engine/report/SetupLog.h"
#include "engine/system/Waits.h"

const wchar_t kServiceTool[] = L"ArrSvcSetup.exe";

namespace {

ProcessCreator createProcess = nullptr;

constexpr int kShown = 1;

// A window that has not handled WM_CLOSE by then is given up on; without a
// bound a hung application would hold the install for ever.
constexpr UINT kCloseAnswerMs = 5000;

const wchar_t kServiceFailure[] = L"Fail to install the service!";

fw::Handle RunServiceTool(const wchar_t* installDir, const wchar_t* args) {
    wchar_t commandLine[kPathChars];
    if (!ComposeCommandLine(commandLine, kPathChars, installDir, kServiceTool, args)) return {};
    return RunProgram(commandLine, kShown);
}

// From the process's start to its end.
DWORD RunTimeMs(const fw::Handle& process) {
    FILETIME created, ended, kernel, user;
    if (!::GetProcessTimes(process.Get(), &created, &ended, &kernel, &user)) return 0;
    ULARGE_INTEGER from, to;
    from.LowPart = created.dwLowDateTime, from.HighPart = created.dwHighDateTime;
    to.LowPart = ended.dwLowDateTime, to.HighPart = ended.dwHighDateTime;
    return to.QuadPart > from.QuadPart ? static_cast<DWORD>((to.QuadPart - from.QuadPart) / 10000) : 0;
}

// A tool that has not ended by the bound is ended: it would hold its own
// file, which the install replaces or puts back. True when it ended by
// itself, with its exit code in `code`.
bool EndedInTime(const fw::Handle& tool, DWORD boundMs, DWORD& code) {
    if (!tool.IsValid()) return false;
    if (::WaitForSingleObject(tool.Get(), boundMs) != WAIT_OBJECT_0) {
        LogLine(L"The service tool had not ended within its %lu ms: ended", boundMs);
        ::TerminateProcess(tool.Get(), ERROR_TIMEOUT);
        ::WaitForSingleObject(tool.Get(), boundMs);
        return false;
    }
    code = 1;
    ::GetExitCodeProcess(tool.Get(), &code);
    LogLine(L"The service tool ended with exit code %lu after %lu ms", code, RunTimeMs(tool));
    return true;
}

bool EndedWithSuccess(const fw::Handle& tool, DWORD boundMs) {
    DWORD code = 1;
    return EndedInTime(tool, boundMs, code) && code == 0;
}

// Runs the tool with `args`; true when it ended by itself within the bound.
bool RunToItsEnd(const wchar_t* installDir, const wchar_t* args, DWORD boundMs) {
    DWORD code = 1;
    return EndedInTime(RunServiceTool(installDir, args), boundMs, code);
}

} // namespace

bool ComposeCommandLine(wchar_t* out, size_t chars, const wchar_t* dir, const wchar_t* file,
                        const wchar_t* args) {
    if (args && args[0]) return FormatPathN(out, chars, L"\"%s\\%s\" %s", dir, file, args);
    return FormatPathN(out, chars, L"\"%s\\%s\"", dir, file);
}

bool ServiceToolThere(const wchar_t* installDir) {
    wchar_t tool[kPathChars];
    return FormatPath(tool, L"%s\\%s", installDir, kServiceTool) && PathExists(tool);
}

void SetProcessCreator(ProcessCreator creator) { createProcess = creator; }

fw::Handle RunProgram(wchar_t* commandLine, int show) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show ? SW_SHOW : SW_HIDE;
    PROCESS_INFORMATION info = {};
    // Normal priority: a real-time child could starve the whole machine.
    ProcessCreator create = createProcess ? createProcess : &::CreateProcessW;
    // The command line as given: CreateProcessW may change its buffer.
    LogLine(L"Run: %s", commandLine);
    if (!create(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                &startup, &info)) {
        const DWORD error = ::GetLastError();
        LogWindowsError(error, L"The program could not be started");
        ::SetLastError(error);
        return {};
    }
    LogLine(L"Started as process %lu", info.dwProcessId);
    fw::Handle thread(info.hThread);  // not needed: closed on return
    return fw::Handle(info.hProcess);
}

// Lets the tool finish its command (within a bound) before the next step: a
// service still stopping holds its files, which the next step replaces or
// deletes.
bool RunServiceToolToEnd(const wchar_t* installDir, const wchar_t* args, DWORD boundMs) {
    return EndedWithSuccess(RunServiceTool(installDir, args), boundMs);
}

// A tool may return while the service still stops: its program holds its
// files until its process has ended, and a service only marked for
// deletion would refuse the "-i" that follows. A tool that could not
// start, or hung and was ended at its bound, has spent its time: nothing
// is waited for after it.
void StopAndRemoveService(const wchar_t* installDir, DWORD toolBoundMs, DWORD stopBoundMs) {
    if (RunToItsEnd(installDir, L"-k", toolBoundMs)) WaitForServicesToStop(installDir, stopBoundMs);
    if (RunToItsEnd(installDir, L"-u", toolBoundMs)) WaitForServicesToGo(installDir, stopBoundMs);
}

fw::Handle StartServiceRegistration(const wchar_t* installDir) {
    fw::Handle tool = RunServiceTool(installDir, L"-i");
    if (!tool.IsValid()) ShowFailure(kServiceFailure, ::GetLastError());
    return tool;
}

void AwaitServiceTool(const fw::Handle& tool, DWORD boundMs) { EndedWithSuccess(tool, boundMs); }

bool FinishServiceRegistration(const fw::Handle& tool, DWORD boundMs) {
    if (EndedWithSuccess(tool, boundMs)) return true;
    // Its exit code, or its end at the bound, is logged: no Windows error
    // of an earlier step belongs with the failure.
    ShowFailure(kServiceFailure, ERROR_SUCCESS);
    return false;
}

int RegisterService(const wchar_t* installDir, DWORD boundMs) {
    fw::Handle tool = StartServiceRegistration(installDir);
    return tool.IsValid() && FinishServiceRegistration(tool, boundMs) ? 1 : 0;
}

void CloseRunningApplication(const wchar_t* appName, DWORD stopBoundMs) {
    // An empty title would match any untitled window of any program.
    if (!appName || !appName[0]) return;
    HWND window = ::FindWindowW(nullptr, appName);
    if (!window) return;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    // Opened before the close, so that its id cannot name another process
    // by the time it is waited on.
    fw::Handle process(processId && processId != ::GetCurrentProcessId()
                           ? ::OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr);
    DWORD_PTR answer = 0;
    LogLine(L"The application's window \"%s\" (process %lu) asked to close", appName, processId);
    if (!::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseAnswerMs, &answer))
        LogLine(L"Its window did not answer within %u ms", kCloseAnswerMs);
    // Its files are free only once its process has ended, which may save
    // its settings first.
    wchar_t what[64];
    if (process.IsValid() && FormatPath(what, L"the application's process %lu", processId))
        WaitForProcessToEnd(process.Get(), stopBoundMs, what);
}
