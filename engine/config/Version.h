#pragma once
#include <windows.h>

// Versions as setup.ini and the uninstall entry write them ("1.00.00"): up
// to four decimal numbers between dots, missing parts 0, so that "1",
// "1.0" and "1.00.00.0" are one version. False for anything else (empty,
// words, a stray dot, a fifth part).
bool ParseVersion(const wchar_t* text, DWORD (&parts)[4]);

// True when the medium's version is older than the installed one, part by
// part. A text on either side that is not a version never refuses.
bool IsOlderThanInstalled(const wchar_t* mediumVersion, const wchar_t* installedVersion);
