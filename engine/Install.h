#pragma once

// Installs from the medium in `sourceDir` without any window. Returns the
// process exit code: 0 on success.
int SilentInstall(const wchar_t* sourceDir);
