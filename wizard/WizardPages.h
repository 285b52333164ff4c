#pragma once
#include <windows.h>

#include "engine/config/Outcome.h"

// What the wizard does with one progress notice: a pure description that
// the dialog carries out.
struct NoticeEffect {
    bool known = false;        // notices other than 1 to 6 change nothing
    bool beginProgress = false;  // progress page: bar reset and shown, three buttons off, timer on
    bool stopTimer = false;
    bool barFull = false;        // the bar jumps to 100
    bool installFinished = false;  // bar hidden, launch box shown and ticked
    bool offerRestart = false;   // bar hidden, the box shown as "Restart now", not ticked
    bool endPage = false;        // action hidden, Cancel off, close on, finish shown
    UINT upperText = 0;          // string ids
    UINT lowerText = 0;
    bool uninstallBegun = false;  // the uninstall procedure has started
    bool setsOutcome = false;    // the procedure ended (or failed) with `outcome`
    SetupOutcome outcome = SetupOutcome::Done;
};

// The notice is the low byte of wParam; `success` is lParam of an end
// notice, the procedure's SetupOutcome.
NoticeEffect DescribeNotice(WPARAM notice, LPARAM success);

// The outcome an end notice's lParam carries; a value that names none is a
// failure.
SetupOutcome EndOutcome(LPARAM success);

// The pages as the keyboard sees them: the ready page, the progress page
// (from the click on the action button until the end notice), and the
// finished or failed page.
enum class WizardPage { Ready, Progress, End };
// The button Enter presses and the focus falls back to: the action button,
// none (0) while the procedure runs, then Finish.
int DefaultButtonOf(WizardPage page);

// The controls' places in pixels, for a client area `width` wide on a
// display of `dpi` (every 96-dpi distance scaled by dpi / 96). The title
// is at least one line of its font high, so that the descenders of its
// letters are not cut off.
struct WizardLayout {
    RECT title, upper, lower, progress;  // left, top, width, height in right, bottom
    POINT close, action, finish, cancel, launchBox;
};
WizardLayout ComputeWizardLayout(int width, int dpi, int titleLineHeight);
