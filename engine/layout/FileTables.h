#pragma once

// The fixed file tables of install and uninstall. Each entry sits in a slot
// of 50 characters.
constexpr int kTableSlotChars = 50;

// The wizard's language modules on the medium. The install copies only the
// first kInstalledLanguageModules beside the uninstaller, which falls back
// to the English one for any other language.
constexpr int kLanguageModuleCount = 13;
constexpr int kInstalledLanguageModules = 7;
extern const wchar_t LanguageModuleTable[kLanguageModuleCount][kTableSlotChars];

// The application's images, relative to the Application folder of the
// medium and to the installation folder: "Images\" and a file name.
constexpr int kImageFileCount = 109;
extern const wchar_t ImageFileTable[kImageFileCount][kTableSlotChars];

// The script the uninstaller leaves in InstallDir to remove what it cannot
// while it runs (its own folder, then InstallDir).
extern const wchar_t kSelfDeleteScriptName[];  // "KxUninst.bat"
