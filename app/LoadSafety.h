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

// Loads the common controls (the version the manifest names) and registers
// the progress bar's class, for the wizard alone: under Wine loading them,
// or the theme library they use, starts the desktop and sets up the display
// and its theme, which a silent run has no use for. Where the search is
// restricted, their delay-loaded imports are loaded from System32 first.
void LoadCommonControls();

// True when "PROGRAM.local" (a file or a folder) stands beside the program:
// Windows would load the program's DLLs from it whatever the search order.
bool DllRedirectionBeside(const wchar_t* programPath);
