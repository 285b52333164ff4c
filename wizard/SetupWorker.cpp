#include "wizard/SetupWorker.h"

#include <memory>

#include "engine/Install.h"
#include "engine/Uninstall.h"

const SetupProcedures EngineProcedures = {&InstallApplication, &UninstallApplication};

namespace {

// One worker's own start: a copy of the caller's block, made before the
// thread exists, so no later write to the caller's block can reach it.
struct WorkerStart {
    WorkerStartBlock block;
    SetupProcedures procedures;
};

void Notify(HWND dialog, SetupProgressNotice notice, SetupOutcome outcome) {
    ::PostMessageW(dialog, WM_SETUP_PROGRESS, notice, static_cast<LPARAM>(outcome));
}

} // namespace

DWORD WINAPI SetupWorker(LPVOID param) {
    std::unique_ptr<WorkerStart> owned(static_cast<WorkerStart*>(param));
    const WorkerStart start = *owned;
    owned.reset();
    const WorkerStartBlock& block = start.block;
    SetupConfig config;
    ReadSetupConfig(block.SourceDir, config);
    if (block.Mode != 0) {
        Notify(block.Dialog, PROGRESS_UNINSTALL_BEGIN, SetupOutcome::Failed);
        Notify(block.Dialog, PROGRESS_UNINSTALL_END, start.procedures.Uninstall(config));
    } else {
        Notify(block.Dialog, PROGRESS_INSTALL_BEGIN, SetupOutcome::Failed);
        Notify(block.Dialog, PROGRESS_INSTALL_END, start.procedures.Install(block.SourceDir, config));
    }
    return 1;
}

fw::Handle StartSetupWorker(const WorkerStartBlock& block, const SetupProcedures& procedures) {
    auto start = std::make_unique<WorkerStart>(WorkerStart{block, procedures});
    fw::Handle thread(::CreateThread(nullptr, 0, &SetupWorker, start.get(), 0, nullptr));
    // Once the thread exists, it owns the start.
    if (thread.IsValid()) start.release();
    return thread;
}
