#include "app/LoadSafety.h"

#include <commctrl.h>

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

bool searchRestricted = false;

// From the SDK: the headers for Windows XP lack it.
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

void* Kernel32Function(const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name));
}

void PreloadFromSystem32(const char* names) {
    wchar_t system[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 16) return;
    for (const char* name = names; *name; ++name) {
        wchar_t path[MAX_PATH];
        wchar_t* end = path + length;
        ::lstrcpyW(path, system);
        *end++ = L'\\';
        for (; *name; ++name)
            if (end < path + MAX_PATH - 5) *end++ = static_cast<wchar_t>(*name);
        ::lstrcpyW(end, L".dll");
        // Kept loaded for the life of the process; a DLL this system lacks
        // is simply not there to be found.
        ::LoadLibraryW(path);
    }
}

} // namespace

// What the common controls, the shell, COM and the shell-link object load
// by name after start-up. A DLL's own imports are searched for like any
// load, the program's folder first where the search is not restricted, so
// the DLLs others import come before them: oleaut32 before oleacc,
// propsys and the shell's helpers.
const char kPreloadedDlls[] =
    "oleaut32\0version\0imm32\0usp10\0msimg32\0winmm\0uxtheme\0dwmapi\0cryptbase\0sspicli\0profapi\0"
    "userenv\0setupapi\0apphelp\0propsys\0oleacc\0clbcatq\0ntmarta\0msctf\0shfolder\0comdlg32\0"
    "linkinfo\0ntshrui\0shdocvw\0";

const char kDelayLoadedDlls[] = "uxtheme\0dwmapi\0";

DllSearch ChooseDllSearch(DWORD major, DWORD minor, bool hasSetDefaultDllDirectories) {
    bool windows7OrLater = major > 6 || (major == 6 && minor >= 1);
    return windows7OrLater && hasSetDefaultDllDirectories ? DllSearch::System32Only
                                                          : DllSearch::PreloadFromSystem32;
}

void RestrictDllSearch() {
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(Kernel32Function("SetDefaultDllDirectories"));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExW(&version);
    const bool restricted =
        ChooseDllSearch(version.dwMajorVersion, version.dwMinorVersion, setDefault != nullptr) ==
            DllSearch::System32Only &&
        setDefault(kSearchSystem32);
    if (!restricted) {
        if (auto setDirectory = reinterpret_cast<SetDllDirectoryFn>(Kernel32Function("SetDllDirectoryW")))
            setDirectory(L"");
    }
    searchRestricted = restricted;
    // A DLL already loaded is found by its name, wherever a later load
    // would have looked.
    if (!restricted) PreloadFromSystem32(kPreloadedDlls);
}

void LoadCommonControls() {
    // Even a restricted search can leave the delay-loaded imports of the
    // common controls: those come from System32 first.
    if (searchRestricted) PreloadFromSystem32(kDelayLoadedDlls);
    HMODULE controls = ::LoadLibraryW(L"comctl32.dll");
    auto init = reinterpret_cast<InitCommonControlsExFn>(
        controls ? reinterpret_cast<void*>(::GetProcAddress(controls, "InitCommonControlsEx")) : nullptr);
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    if (init) init(&classes);
}

bool DllRedirectionBeside(const wchar_t* programPath) {
    wchar_t redirection[MAX_PATH + 8];
    if (::lstrlenW(programPath) >= MAX_PATH) return false;
    ::lstrcpyW(redirection, programPath);
    ::lstrcatW(redirection, L".local");
    return ::GetFileAttributesW(redirection) != INVALID_FILE_ATTRIBUTES;
}
