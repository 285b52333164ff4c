#pragma once
#include "engine/config/Outcome.h"
#include <windows.h>

#include <string>

#include "controls/CBmpBtnCtrl.h"
#include "controls/LinkLabel.h"
#include "engine/config/Paths.h"
#include "engine/config/SetupConfig.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "wizard/WizardPages.h"

// The install and uninstall wizard: a captionless dialog from template 102,
// skinned by its background bitmap, with a ready, a progress and a finished
// or failed page. Its action button starts the worker; the worker's
// notices turn the pages.
class WizardDialog : public fw::Dialog {
public:
    // `texts` is the language module the wizard's texts come from.
    WizardDialog(const wchar_t* sourceDir, int uninstallMode, HMODULE texts, HWND parent);

    // True once this dialog's worker has begun the uninstall procedure:
    // only then may the program remove the uninstaller's folder as it exits.
    bool UninstallProcedureRan() const { return uninstallRan_; }
    // True once the worker has reported that its procedure failed (or
    // refused an older medium).
    bool ProcedureFailed() const { return !Succeeded(outcome_); }
    // How the procedure ended: Done until the worker reports.
    SetupOutcome Outcome() const { return outcome_; }
    // True when the finished page offered the restart that completes the
    // procedure and Finish was clicked with its box ticked.
    bool RestartChosen() const { return restartChosen_; }
    // True when an install's finished page was left by Finish with the
    // launch box ticked.
    bool LaunchChosen() const { return launchChosen_; }

protected:
    // Posted to itself once it is active again, after the dialog's own
    // handling has put back the focus it saved.
    static constexpr UINT kCheckFocusMessage = WM_USER + 101;

    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual void BindControls();
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    // The skin (WizardSkin.cpp).
    void LoadSkinBitmaps();
    // Sizes and shapes the window by its background; centres it on the
    // screen, or puts it at `origin`.
    void ApplyWindowShape(const POINT* origin = nullptr);
    INT_PTR OnPaint();
    INT_PTR OnEraseBackground(HDC dc);
    INT_PTR OnLButtonDown(LPARAM position);
    // High Contrast: read at start, and again whenever the setting or the
    // system's colours change; the whole wizard is then drawn again.
    void ReadContrast();
    void OnContrastChanged();
    COLORREF TextColor(COLORREF skinColor) const;

    // The display's scale (WizardScale.cpp).
    void SetUpFonts();
    void ScaleButtonFont(int fromDpi);
    INT_PTR OnDpiChanged(int dpi, const RECT* suggested);

    // The skin's text colours: the title's dark red, the pages' white.
    static constexpr COLORREF kTitleColor = RGB(85, 0, 0);
    static constexpr COLORREF kPageTextColor = RGB(255, 255, 255);
    // The labels' sizes in points.
    static constexpr int kTitlePoints = 11;
    static constexpr int kUpperPoints = 10;
    static constexpr int kLowerPoints = 9;

    void SetUpTexts();
    void LayOutControls();
    void FitLaunchBox(POINT at);
    void OnAction();
    void OnCloseButton();
    void OnProgress(WPARAM notice, LPARAM success);
    void ShowEndPage();
    void OnTimer(WPARAM id);
    INT_PTR OnGetDefId();
    HWND DefaultButton() const;
    void FocusDefault();
    void OnActivated();
    void Withdraw(HWND control, bool hide);
    std::wstring Text(UINT id, int chars = 1024) const;
    void ShowNewerInstalledBox() const;
    void SetButtonText(CBmpBtnCtrl& button, UINT id);

    // The dpi everything is drawn and placed for, known before the window
    // is sized.
    int dpi_ = 96;
    bool highContrast_ = false;
    // The dpi the dialog made its template's controls and font at; the
    // launch box's width in the template's dialog units (its picture widens
    // it), and the width of a dialog unit (x 4) in the buttons' font.
    int templateDpi_ = 96;
    int launchBoxUnits_ = -1;
    int dialogBaseUnitX_ = 0;
    // The buttons' font at dpi_ once it has changed; until then they keep
    // the one the dialog made from its template.
    fw::ScopedFont buttonFont_;
    BITMAP backgroundInfo = {};
    fw::ScopedBitmap backgroundBitmap;
    wchar_t sourceDir_[kPathChars];
    // setup.ini beside the program: the title's AppName, the installed
    // version's entry.
    SetupConfig config_;
    wchar_t title_[kPathChars];
    int UninstallMode;
    HMODULE texts_;
    bool installFinished_ = false;
    CBmpBtnCtrl launchBox_;
    CBmpBtnCtrl closeButton_;
    LinkLabel titleLabel_;
    HWND progressBar_ = nullptr;
    LinkLabel lowerText_;
    CBmpBtnCtrl finishButton_;
    CBmpBtnCtrl cancelButton_;
    LinkLabel upperText_;
    CBmpBtnCtrl actionButton_;
    HICON icon_;

    // On the progress page no second worker starts, and nothing may end
    // the dialog under the running procedure.
    WizardPage page_ = WizardPage::Ready;
    bool workerStarted_ = false;
    bool uninstallRan_ = false;
    SetupOutcome outcome_ = SetupOutcome::Done;
    // The launch box's place holds the restart box instead.
    bool restartOffered_ = false;
    bool launchChosen_ = false;
    bool restartChosen_ = false;
};

// The window title: AppName and the mode's suffix; empty for an empty name.
void ComposeWizardTitle(const wchar_t* appName, int uninstallMode, wchar_t* out, size_t chars);
