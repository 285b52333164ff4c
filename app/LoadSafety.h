#pragma once
#include <windows.h>

// Keeps DLLs planted beside setup.exe (say, in a Downloads folder) from
// ever loading: the program's folder leaves the DLL search before anything
// loads a DLL by name.

enum class DllSearch {
    // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32): every later
    // load by name searches System32 only.
    System32Only,
    // Older systems: SetDllDirectoryW(L"") takes the current folder out,
    // and the DLLs the shell, COM and the common controls load late are
    // loaded from System32 by full path first, so a later load by name
    // finds them loaded.
    PreloadFromSystem32,
};

// Windows 7 and later with SetDefaultDllDirectories restrict the search.
// Vista has the function only with an update, and restricted that way it
// fails to create the shell-link object: it preloads like XP.
DllSearch ChooseDllSearch(DWORD major, DWORD minor, bool hasSetDefaultDllDirectories);

// The DLLs loaded from System32 by full path before anything else runs:
// their names without ".dll", each ended by a null, the list by an empty name.
extern const char kPreloadedDlls[];
// Where the search is restricted, only these: what the common controls load
// as delay-loaded imports, which some loaders resolve past the restriction.
extern const char kDelayLoadedDlls[];

// Restricts the search as ChooseDllSearch decides for this system. Called
// first thing in the process.
void RestrictDllSearch();

// True when "PROGRAM.local" (a file or a folder) stands beside the program:
// Windows would load the program's DLLs from it whatever the search order.
bool DllRedirectionBeside(const wchar_t* programPath);
