#pragma once

// How an install or uninstall ended. The values are those of the worker's
// end notice (1 success, 0 failure), with two more.
enum class SetupOutcome : int {
    Failed = 0,
    Done = 1,
    DoneAfterRestart = 2,  // every file placed or removed, some at the next restart
    NewerInstalled = 3,    // refused: the medium is older than what is installed
};

// The exit codes deployment tools read, as Windows Installer gives them.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitAlreadyRunning = 1618;  // another install in progress
constexpr int kExitNewerInstalled = 1638;  // another version of the product is installed
constexpr int kExitRestartRequired = 3010;

int ExitCodeOf(SetupOutcome outcome);

// True for the exit codes of a run that did its job (0, and 3010 when a
// restart completes it).
inline bool IsSuccessCode(unsigned long exitCode) {
    return exitCode == kExitDone || exitCode == kExitRestartRequired;
}

// True for an outcome whose job is done, at once or at the restart.
inline bool Succeeded(SetupOutcome outcome) {
    return outcome == SetupOutcome::Done || outcome == SetupOutcome::DoneAfterRestart;
}
