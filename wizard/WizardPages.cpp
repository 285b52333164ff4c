#include "wizard/WizardPages.h"

#include "framework/Dpi.h"
#include "wizard/SetupWorker.h"
#include "wizard/TextIds.h"

namespace {

NoticeEffect Begin(UINT upper, UINT lower) {
    NoticeEffect effect;
    effect.known = true;
    effect.beginProgress = true;
    effect.upperText = upper;
    effect.lowerText = lower;
    return effect;
}

NoticeEffect End(bool install, LPARAM success) {
    NoticeEffect effect;
    effect.known = true;
    effect.stopTimer = true;
    effect.endPage = true;
    effect.lowerText = kTextFinishHint;
    const SetupOutcome outcome = EndOutcome(success);
    effect.setsOutcome = true;
    effect.outcome = outcome;
    if (outcome == SetupOutcome::Done) {
        effect.barFull = true;
        effect.installFinished = install;
        effect.upperText = install ? kTextInstalled : kTextRemoved;
    } else if (outcome == SetupOutcome::DoneAfterRestart) {
        // Old files are still in place: nothing to launch before the
        // restart, which the user may choose to have now.
        effect.barFull = true;
        effect.offerRestart = true;
        effect.upperText = install ? kTextInstalledAfterRestart : kTextRemovedAfterRestart;
    } else {
        effect.upperText = install ? kTextInstallFailed : kTextRemoveFailed;
    }
    return effect;
}

// The timer keeps running, so the bar goes on creeping.
NoticeEffect Failed(bool install) {
    NoticeEffect effect;
    effect.known = true;
    effect.endPage = true;
    effect.upperText = install ? kTextInstallFailed : kTextRemoveFailed;
    effect.lowerText = kTextFinishHint;
    effect.setsOutcome = true;
    effect.outcome = SetupOutcome::Failed;
    return effect;
}

} // namespace

SetupOutcome EndOutcome(LPARAM success) {
    if (success < 0 || success > static_cast<LPARAM>(SetupOutcome::NewerInstalled)) return SetupOutcome::Failed;
    return static_cast<SetupOutcome>(success);
}

NoticeEffect DescribeNotice(WPARAM notice, LPARAM success) {
    switch (notice & 0xFF) {
    case PROGRESS_INSTALL_BEGIN: return Begin(kTextInstalling, kTextCopyingFiles);
    case PROGRESS_INSTALL_END: return End(true, success);
    case PROGRESS_INSTALL_FAILED: return Failed(true);
    case PROGRESS_UNINSTALL_BEGIN: {
        NoticeEffect effect = Begin(kTextRemoving, kTextRemovingFiles);
        effect.uninstallBegun = true;
        return effect;
    }
    case PROGRESS_UNINSTALL_END: return End(false, success);
    case PROGRESS_UNINSTALL_FAILED: return Failed(false);
    }
    return NoticeEffect{};
}

int DefaultButtonOf(WizardPage page) {
    switch (page) {
    case WizardPage::Ready: return 1000;
    case WizardPage::Progress: return 0;
    case WizardPage::End: return IDOK;
    }
    return 0;
}

WizardLayout ComputeWizardLayout(int w, int dpi, int titleLineHeight) {
    const auto s = [dpi](int pixels) { return fw::ScaleToDpi(pixels, dpi); };
    WizardLayout layout;
    // At least a whole line of its font, so that no descender loses its
    // last row (at 96 dpi a 16-pixel line in the 15 pixels it once had).
    const int titleHeight = titleLineHeight > s(15) ? titleLineHeight : s(15);
    layout.title = RECT{s(14), s(7), w - s(60), titleHeight};
    layout.upper = RECT{s(35), s(55), w - s(70), s(35)};
    layout.lower = RECT{s(200), s(170), w - s(230), s(60)};
    layout.close = POINT{w - s(32), s(11)};
    layout.action = POINT{w - s(272), s(380)};
    layout.finish = layout.action;
    layout.cancel = POINT{w - s(133), s(380)};
    layout.launchBox = POINT{s(200), s(235)};
    layout.progress = RECT{s(205), s(235), w - s(245), s(30)};
    return layout;
}
