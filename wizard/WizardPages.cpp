#include "wizard/WizardPages.h"

#include "wizard/SetupWorker.h"

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
    effect.lowerText = 8;
    if (success == 1) {
        effect.barFull = true;
        effect.installFinished = install;
        effect.upperText = install ? 7 : 15;
    } else {
        effect.upperText = install ? 9 : 14;
    }
    return effect;
}

// The timer keeps running, so the bar goes on creeping.
NoticeEffect Failed(bool install) {
    NoticeEffect effect;
    effect.known = true;
    effect.endPage = true;
    effect.upperText = install ? 9 : 14;
    effect.lowerText = 8;
    return effect;
}

} // namespace

NoticeEffect DescribeNotice(WPARAM notice, LPARAM success) {
    switch (notice & 0xFF) {
    case PROGRESS_INSTALL_BEGIN: return Begin(16, 6);
    case PROGRESS_INSTALL_END: return End(true, success);
    case PROGRESS_INSTALL_FAILED: return Failed(true);
    case PROGRESS_UNINSTALL_BEGIN: return Begin(17, 13);
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

WizardLayout ComputeWizardLayout(int w) {
    WizardLayout layout;
    layout.title = RECT{14, 7, w - 60, 15};
    layout.upper = RECT{35, 55, w - 70, 35};
    layout.lower = RECT{200, 170, w - 230, 60};
    layout.close = POINT{w - 32, 11};
    layout.action = POINT{w - 272, 380};
    layout.finish = layout.action;
    layout.cancel = POINT{w - 133, 380};
    layout.launchBox = POINT{200, 235};
    layout.progress = RECT{205, 235, w - 245, 30};
    return layout;
}
