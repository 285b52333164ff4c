#include "engine/layout/InstallFiles.h"

#include "engine/system/Process.h"

const wchar_t* const InstallFolders[kInstallFolderCount] = {L"Uninstall", L"Images"};

void ListInstallFiles(const SetupConfig& config, InstallFile (&out)[kInstallFileCount]) {
    int at = 0;
    out[at++] = {L"", L"Uninstall", L"setup.exe", CopyWhen::Always};
    out[at++] = {L"", L"Uninstall", L"setup.ini", CopyWhen::IfPresent};
    for (int i = 0; i < kInstalledLanguageModules; ++i)
        out[at++] = {L"", L"Uninstall", LanguageModuleTable[i], CopyWhen::Always};
    out[at++] = {L"", L"", L"setup.ini", CopyWhen::IfPresent};
    out[at++] = {L"Application", L"", L"mingwm10.dll", CopyWhen::Always};
    out[at++] = {L"Application", L"", config.APPFileName, CopyWhen::Always};
    for (const auto& image : ImageFileTable) out[at++] = {L"Application", L"", image, CopyWhen::IfOnMedium};
    out[at++] = {L"Application", L"", kServiceTool, CopyWhen::Nt6Only};
}

bool IsCopied(const InstallFile& file, int nt6, bool onMedium) {
    switch (file.when) {
    case CopyWhen::IfPresent:
    case CopyWhen::IfOnMedium: return onMedium;
    case CopyWhen::Nt6Only: return nt6 != 0;
    case CopyWhen::Always: break;
    }
    return true;
}

bool SourcePathOf(const wchar_t* sourceDir, const InstallFile& file, wchar_t (&out)[kPathChars]) {
    if (!file.sourceFolder[0]) return FormatPath(out, L"%s%s", sourceDir, file.name);
    return FormatPath(out, L"%s%s\\%s", sourceDir, file.sourceFolder, file.name);
}

bool TargetPathOf(const wchar_t* installDir, const InstallFile& file, wchar_t (&out)[kPathChars]) {
    if (!file.targetFolder[0]) return FormatPath(out, L"%s\\%s", installDir, file.name);
    return FormatPath(out, L"%s\\%s\\%s", installDir, file.targetFolder, file.name);
}
