#include <windows.h>

#include "app/LoadSafety.h"
#include "app/RunLogHeader.h"
#include "app/RunMode.h"
#include "app/SetupApp.h"
#include "app/SetupCommandLine.h"
#include "engine/report/EventLog.h"
#include "engine/report/Messages.h"
#include "engine/config/SetupConfig.h"
#include "engine/report/SetupLog.h"

// The linker's list of static constructors: a count or -1 first, then the
// functions, ended by a null entry. The runtime's own start-up code would run
// them; setup.exe starts without it.
extern "C" void (*__CTOR_LIST__[])();

namespace {

void RunStaticConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) ++count;
    // In reverse order, as the runtime does: the linker lists them backward.
    for (int i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

// Windows would load the installer's DLLs from a setup.exe.local beside
// it: the run is refused, silently in a silent run, and reported.
int RefuseRedirectedRun(const wchar_t* programPath) {
    SetupCommandLine commandLine;
    fw::WalkCommandLine(commandLine);
    const RunMode mode = ChooseRunMode(commandLine);
    SetFailuresSilent(IsSilentRun(mode));
    OpenRunLog(IsUninstallRun(mode), commandLine.logGiven ? commandLine.logPath : nullptr);
    wchar_t sourceDir[MAX_PATH];
    GetDirectoryPart(programPath, sourceDir);
    SetupConfig config;
    ReadSetupConfig(sourceDir, config);
    LogRunHeader(config, mode);
    ShowFailure(L"A file or folder named setup.exe.local stands beside setup.exe: Windows would load "
                L"the installer's DLLs from it. Remove it, then start setup.exe again.",
                ERROR_SUCCESS);
    ReportRunEndEvent(config.AppName, config.Version, IsUninstallRun(mode), IsSilentRun(mode), 1);
    CloseRunLog(OutcomeOfExitCode(1), 1);
    return 1;
}

int RunSetup() {
    wchar_t programPath[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, programPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH && DllRedirectionBeside(programPath)) return RefuseRedirectedRun(programPath);
    SetupApp app;
    return app.Run();
}

} // namespace

// The process's entry point. Windows calls it with a stack aligned to 4
// bytes only; the attribute realigns it for the code it calls.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void SetupEntry() {
    // Before anything can load a DLL by name.
    RestrictDllSearch();
    RunStaticConstructors();
    ::ExitProcess(static_cast<UINT>(RunSetup()));
}
