/* Ends in an unhandled exception: the tests' way of checking that a crash in
   their prefixes ends the process at once with its exception code. The
   exception is raised in software, with a code of its own, because a CPU
   fault reaches Wine with another code under an emulator (a null write is
   0xC000001D under QEMU's user mode, 0xC0000005 natively); the path through
   the unhandled-exception filter to the debugger is the same either way. */
#include <windows.h>

#define CRASH_TEST_EXCEPTION 0xE0C0DE01u

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    RaiseException(CRASH_TEST_EXCEPTION, EXCEPTION_NONCONTINUABLE, 0, NULL);
    return 0;
}
