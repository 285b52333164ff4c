#pragma once
#include "engine/config/Paths.h"

// Shell links: the desktop of the current user, and a program group in the
// all-users Programs menu. Each call initialises COM for itself.

void CreateDesktopShortcut(const wchar_t* targetPath, const wchar_t* linkName);
// 0 if the link file was deleted, -1 otherwise.
int DeleteDesktopShortcut(const wchar_t* linkName);

// `arguments` may be null for none.
void CreateGroupShortcut(const wchar_t* groupName, const wchar_t* targetPath,
                         const wchar_t* linkName, const wchar_t* arguments);
// With removeFolder, the group folder goes too if it is empty afterwards.
void DeleteGroupShortcut(const wchar_t* groupName, const wchar_t* linkName, bool removeFolder);

// Where the install's links go: the desktop link, the group folder and its
// two links (the application's and "Uninstall"). False when a name is not
// plain or a folder cannot be found.
struct ShortcutPaths {
    wchar_t desktopLink[kPathChars];
    wchar_t group[kPathChars];
    wchar_t applicationLink[kPathChars];
    wchar_t uninstallLink[kPathChars];
};
bool FindShortcutPaths(const wchar_t* appName, ShortcutPaths& out);
