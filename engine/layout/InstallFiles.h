#pragma once
#include "engine/layout/FileTables.h"
#include "engine/config/SetupConfig.h"

// The files an install places, as data: the copy, the transaction that
// keeps what they replace, the uninstall and the medium check all read this
// one list, so a file added here reaches each of them.
enum class CopyWhen {
    Always,
    IfPresent,   // setup.ini: a medium may go without it (every value takes its default)
    IfOnMedium,  // an image: absent ones are skipped without a word
    Nt6Only,     // the service tool
};

struct InstallFile {
    const wchar_t* sourceFolder;  // under SourceDir: L"" or L"Application"
    const wchar_t* targetFolder;  // under InstallDir: L"" or L"Uninstall"
    const wchar_t* name;          // the same on both sides ("Images\X.bmp" for an image)
    CopyWhen when;
};

// The installer, its setup.ini and seven language modules, setup.ini,
// mingwm10.dll, the application, the images and the service tool.
constexpr int kInstallFileCount = 2 + kInstalledLanguageModules + 3 + kImageFileCount + 1;

// The copy table in its order. The entries point into the tables and into
// `config`, which must outlive them.
void ListInstallFiles(const SetupConfig& config, InstallFile (&out)[kInstallFileCount]);

// The folders an install makes under InstallDir, parents first.
constexpr int kInstallFolderCount = 2;
extern const wchar_t* const InstallFolders[kInstallFolderCount];  // "Uninstall", "Images"

// Whether the install copies the file on this system and medium.
bool IsCopied(const InstallFile& file, int nt6, bool onMedium);

// "<sourceDir><folder>\<name>" (or "<sourceDir><name>") and
// "<InstallDir>\<folder>\<name>". False when the path does not fit.
bool SourcePathOf(const wchar_t* sourceDir, const InstallFile& file, wchar_t (&out)[kPathChars]);
bool TargetPathOf(const wchar_t* installDir, const InstallFile& file, wchar_t (&out)[kPathChars]);
