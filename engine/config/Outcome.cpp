#include "engine/config/Outcome.h"

int ExitCodeOf(SetupOutcome outcome) {
    switch (outcome) {
    case SetupOutcome::Done: return kExitDone;
    case SetupOutcome::DoneAfterRestart: return kExitRestartRequired;
    case SetupOutcome::NewerInstalled: return kExitNewerInstalled;
    case SetupOutcome::Failed: break;
    }
    return kExitFailed;
}
