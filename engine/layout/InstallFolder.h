#pragma once
#include "engine/config/SetupConfig.h"

// Install and uninstall build every path from InstallDir and APPFileName.
// An empty one (a setup.ini value that was empty or not a plain name)
// would make those paths start at the root of the drive, and one too long
// for the paths built from it would fail half-way. Returns the message to
// show for such a configuration, or null when it is usable.
const wchar_t* InstallFolderProblem(const SetupConfig& config);

// Shows the problem's message, if any; true when the configuration is usable.
bool CheckInstallFolder(const SetupConfig& config);
