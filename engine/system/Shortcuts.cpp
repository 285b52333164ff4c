#include "engine/system/Shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "engine/config/Paths.h"
#include "engine/report/SetupLog.h"
#include "framework/ComInit.h"

namespace {

using Microsoft::WRL::ComPtr;

// A shell link pointing at its target, with the interface that saves it.
struct LinkObject {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
};

bool MakeLink(const wchar_t* targetPath, LinkObject& out) {
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&out.link))) &&
           SUCCEEDED(out.link.As(&out.file)) && SUCCEEDED(out.link->SetPath(targetPath));
}

bool SpecialFolder(int csidl, wchar_t (&out)[kPathChars]) {
    return ::SHGetSpecialFolderPathW(nullptr, out, csidl, FALSE) != FALSE;
}

// Link and group names become single path components, never paths that
// reach elsewhere (an empty group name would be the Programs menu itself).
bool DesktopLinkPath(const wchar_t* linkName, wchar_t (&linkPath)[kPathChars]) {
    wchar_t desktop[kPathChars];
    return IsPlainName(linkName) && SpecialFolder(CSIDL_DESKTOPDIRECTORY, desktop) &&
           FormatPath(linkPath, L"%s\\%s.lnk", desktop, linkName);
}

bool GroupPaths(const wchar_t* groupName, const wchar_t* linkName,
                wchar_t (&folder)[kPathChars], wchar_t (&linkPath)[kPathChars]) {
    wchar_t programs[kPathChars];
    return IsPlainName(groupName) && IsPlainName(linkName) &&
           SpecialFolder(CSIDL_COMMON_PROGRAMS, programs) &&
           FormatPath(folder, L"%s\\%s", programs, groupName) &&
           FormatPath(linkPath, L"%s\\%s.lnk", folder, linkName);
}

void LogSaved(HRESULT saved, const wchar_t* linkPath, const wchar_t* target, const wchar_t* arguments) {
    if (SUCCEEDED(saved)) LogLine(L"Shortcut %s to \"%s\" %s", linkPath, target, arguments);
    else LogWindowsError(static_cast<DWORD>(saved), L"Shortcut %s could not be saved", linkPath);
}

} // namespace

void CreateDesktopShortcut(const wchar_t* targetPath, const wchar_t* linkName) {
    fw::ComInit com;
    LinkObject link;
    wchar_t linkPath[kPathChars];
    if (!MakeLink(targetPath, link) || !DesktopLinkPath(linkName, linkPath)) return;
    if (PathExists(linkPath)) DeleteDesktopShortcut(linkName);
    LogSaved(link.file->Save(linkPath, TRUE), linkPath, targetPath, L"");
}

int DeleteDesktopShortcut(const wchar_t* linkName) {
    wchar_t linkPath[kPathChars];
    if (!DesktopLinkPath(linkName, linkPath)) return -1;
    if (!::DeleteFileW(linkPath)) return -1;
    LogLine(L"Shortcut %s removed", linkPath);
    return 0;
}

void CreateGroupShortcut(const wchar_t* groupName, const wchar_t* targetPath,
                         const wchar_t* linkName, const wchar_t* arguments) {
    fw::ComInit com;
    LinkObject link;
    wchar_t folder[kPathChars];
    wchar_t linkPath[kPathChars];
    if (!MakeLink(targetPath, link) || !GroupPaths(groupName, linkName, folder, linkPath)) return;
    if (arguments) link.link->SetArguments(arguments);
    if (!PathExists(folder)) {
        ::CreateDirectoryW(folder, nullptr);
    } else if (PathExists(linkPath)) {
        DeleteGroupShortcut(groupName, linkName, false);
    }
    LogSaved(link.file->Save(linkPath, TRUE), linkPath, targetPath, arguments ? arguments : L"");
}

void DeleteGroupShortcut(const wchar_t* groupName, const wchar_t* linkName, bool removeFolder) {
    wchar_t folder[kPathChars];
    wchar_t linkPath[kPathChars];
    if (!GroupPaths(groupName, linkName, folder, linkPath)) return;
    if (::DeleteFileW(linkPath)) LogLine(L"Shortcut %s removed", linkPath);
    // Fails, and keeps the folder, while the user's own files are in it.
    if (removeFolder) ::RemoveDirectoryW(folder);
}

bool FindShortcutPaths(const wchar_t* appName, ShortcutPaths& out) {
    return DesktopLinkPath(appName, out.desktopLink) &&
           GroupPaths(appName, appName, out.group, out.applicationLink) &&
           GroupPaths(appName, L"Uninstall", out.group, out.uninstallLink);
}
