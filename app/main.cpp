#include <windows.h>

#include "app/LoadSafety.h"
#include "app/SetupApp.h"
#include "engine/Messages.h"

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

int RunSetup() {
    wchar_t programPath[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, programPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH && DllRedirectionBeside(programPath)) {
        // Windows would load the installer's DLLs from it.
        ShowFailure(L"Fail to start beside setup.exe.local! Remove it, then start setup.exe again.");
        return 1;
    }
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
