#include <windows.h>

#include "app/SetupApp.h"

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
    SetupApp app;
    return app.Run();
}

} // namespace

// The process's entry point. Windows calls it with a stack aligned to 4
// bytes only; the attribute realigns it for the code it calls.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void SetupEntry() {
    RunStaticConstructors();
    ::ExitProcess(static_cast<UINT>(RunSetup()));
}
