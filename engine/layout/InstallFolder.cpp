#include "engine/layout/InstallFolder.h"

#include "engine/layout/FileTables.h"
#include "engine/report/Messages.h"
#include "engine/system/Process.h"

namespace {

// Every path the install and uninstall compose under InstallDir fits its
// buffer. Checked before anything is written: a path that did not fit
// would otherwise fail one step half-way through and leave a partial
// installation behind.
bool LayoutFits(const wchar_t* installDir) {
    wchar_t path[kPathChars];
    for (const auto& entry : ImageFileTable) {
        if (!FormatPath(path, L"%s\\%s", installDir, entry)) return false;
    }
    for (const auto& module : LanguageModuleTable) {
        if (!FormatPath(path, L"%s\\Uninstall\\%s", installDir, module)) return false;
    }
    return FormatPath(path, L"%s\\Uninstall\\setup.exe", installDir) &&
           FormatPath(path, L"%s\\%s", installDir, kSelfDeleteScriptName) &&
           ComposeCommandLine(path, kPathChars, installDir, kServiceTool, L"-k");
}

} // namespace

const wchar_t* InstallFolderProblem(const SetupConfig& config) {
    const wchar_t* folderProblem = L"Fail to get a valid APPFolderName from setup.ini!";
    if (!config.InstallDir[0] || !config.APPFolderName[0] || !LayoutFits(config.InstallDir))
        return folderProblem;
    // The application's path is launched quoted, so it must fit with its quotes.
    wchar_t commandLine[kPathChars];
    if (!config.APPFileName[0] ||
        !ComposeCommandLine(commandLine, kPathChars, config.InstallDir, config.APPFileName, L""))
        return L"Fail to get a valid APPFileName from setup.ini!";
    return nullptr;
}

bool CheckInstallFolder(const SetupConfig& config) {
    const wchar_t* problem = InstallFolderProblem(config);
    if (problem) ShowFailure(problem, ERROR_SUCCESS);
    return problem == nullptr;
}
