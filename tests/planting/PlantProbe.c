/* Imports what setup.exe imports, with the same manifest, and ends at its
   first instruction. The DLLs it loads are the ones Wine's own system DLLs
   load while a process starts, before any code of the program runs: no
   program can keep those from its folder, so the planting test counts them
   as the floor. */
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <stdlib.h>

/* Never called: it only makes the linker keep one import of each DLL. */
void KeepImports(void) {
    GetStockObject(0);
    RegCloseKey(NULL);
    CoUninitialize();
    DragFinish(NULL);
    MessageBeep(0);
    abort();
}

/* Started with "load" it also loads one planted name the way any program
   would, by name: the test's proof that a planted DLL is found at all. */
void __stdcall ProbeEntry(void) {
    const wchar_t* line = GetCommandLineW();
    int length = lstrlenW(line);
    if (length >= 4 && lstrcmpW(line + length - 4, L"load") == 0) LoadLibraryW(L"dwmapi.dll");
    ExitProcess(0);
}
