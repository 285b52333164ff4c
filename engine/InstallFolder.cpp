#include "engine/InstallFolder.h"

#include "engine/Messages.h"

const wchar_t* InstallFolderProblem(const SetupConfig& config) {
    if (!config.InstallDir[0] || !config.APPFolderName[0])
        return L"Fail to get a valid APPFolderName from setup.ini!";
    if (!config.APPFileName[0]) return L"Fail to get a valid APPFileName from setup.ini!";
    return nullptr;
}

bool CheckInstallFolder(const SetupConfig& config) {
    const wchar_t* problem = InstallFolderProblem(config);
    if (problem) ShowFailure(problem);
    return problem == nullptr;
}
