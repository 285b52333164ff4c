/* The posix-thread runtime that MinGW links statically calls
   GetTickCount64, which Windows XP's kernel32 lacks: a program importing
   it would not even load there. Defining the import slot here keeps the
   import out of the program; the call goes to kernel32's own function where
   Windows has one. This file must be linked as an object, not from an
   archive, so that it comes before the system libraries. */
#include <windows.h>

typedef ULONGLONG(WINAPI* TickCount64Fn)(void);

static ULONGLONG WINAPI TickCount64(void) {
    static TickCount64Fn system = NULL;
    static int looked = 0;
    if (!looked) {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        system = kernel ? (TickCount64Fn)(void*)GetProcAddress(kernel, "GetTickCount64") : NULL;
        looked = 1;
    }
    /* Before Vista: GetTickCount wraps after 49.7 days, which only bends a
       timeout that spans the wrap. */
    return system ? system() : GetTickCount();
}

TickCount64Fn tickCount64Import __asm__("__imp__GetTickCount64@0") = TickCount64;
