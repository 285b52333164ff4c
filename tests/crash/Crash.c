/* Writes through a null pointer: the tests' way of checking that a crash in
   their prefixes ends the process at once with its exception code. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    *(volatile int*)0 = 1;
    return 0;
}
