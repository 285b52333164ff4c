#include "engine/Install.h"

#include "engine/SetupConfig.h"

int SilentInstall(const wchar_t* sourceDir) {
    SetupConfig config;
    ReadSetupConfig(sourceDir, config);
    // The install procedure itself is not built yet: a silent run reads its
    // configuration and ends.
    return 0;
}
