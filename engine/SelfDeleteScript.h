#pragma once
#include <windows.h>

#include <string_view>

#include "engine/config/SetupConfig.h"
#include "engine/layout/FileTables.h"

// The script (kSelfDeleteScriptName) that removes what the running
// uninstaller cannot: its own Uninstall folder (once the uninstaller's
// process has ended), then InstallDir if it is empty, then the script
// itself.

// Tries before the script gives up, each a second apart: about a minute
// for the uninstaller's process to end.
constexpr int kSelfDeleteScriptTries = 60;

// The script's bytes. Five paths of at most MAX_PATH characters, each at
// most 3 bytes a character in any code page cmd.exe reads, and the fixed
// lines fit with room to spare.
struct ScriptText {
    char bytes[8192];
    int length = 0;
    std::string_view View() const { return std::string_view(bytes, static_cast<size_t>(length)); }
};

// The script's text for installDir, its lines ending with CR LF, the paths
// encoded in `codePage` (the console's, in which cmd.exe reads it). False
// when a path cannot be written there exactly: a script must never name a
// folder other than installDir. `tries` bounds its attempts to remove the
// Uninstall folder.
bool ComposeSelfDeleteScript(const wchar_t* installDir, UINT codePage, ScriptText& text,
                             int tries = kSelfDeleteScriptTries);

// Writes the script into InstallDir and starts it hidden. The paths are
// written in the console's code page, or as their short (8.3) forms when
// that code page cannot hold them; when neither works no script is written.
// Returns whether the script was started.
bool WriteSelfDeleteScript(const SetupConfig& config);
