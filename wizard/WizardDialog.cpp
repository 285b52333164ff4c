#include "wizard/WizardDialog.h"

#include <commctrl.h>

#include "engine/report/Messages.h"
#include "engine/system/Registry.h"
#include "framework/Dpi.h"
#include "res/resource.h"
#include "wizard/SetupWorker.h"
#include "wizard/TextIds.h"

namespace {

constexpr int kActionButton = 1000;
constexpr int kUpperText = 1001;
constexpr int kLowerText = 1002;
constexpr int kProgressBar = 1003;
constexpr int kCloseButton = 1004;
constexpr int kTitleLabel = 1005;
constexpr int kLaunchBox = 1008;
constexpr UINT_PTR kProgressTimer = 100;
constexpr int kButtonLabelChars = 128;

void Show(HWND control, bool shown) { ::ShowWindow(control, shown ? SW_SHOW : SW_HIDE); }
void Enable(HWND control, bool enabled) { ::EnableWindow(control, enabled ? TRUE : FALSE); }

void StyleLabel(LinkLabel& label, const std::wstring& caption, COLORREF color, int points) {
    label.SetCaption(caption);
    label.SetCaptionColor(color);
    label.SetFaceName(L"Arial", ANSI_CHARSET);
    label.SetPointSize(points);
    label.SetBold(true);
    label.SetTransparentMode(true);
}

// Visible by its own style: during initialisation the dialog is not shown yet.
bool Usable(HWND control) {
    return control && (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) && ::IsWindowEnabled(control);
}

// The height of a line of the control's font.
int LineHeight(HWND control) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    fw::ScreenDC screen;
    fw::ScopedSelect select(screen.Get(), font);
    TEXTMETRICW metrics = {};
    return font && ::GetTextMetricsW(screen.Get(), &metrics) ? metrics.tmHeight : 0;
}

void Place(HWND control, const RECT& box, UINT extra = 0) {
    ::SetWindowPos(control, nullptr, box.left, box.top, box.right, box.bottom,
                   SWP_NOZORDER | SWP_NOOWNERZORDER | extra);
}

} // namespace

WizardDialog::WizardDialog(const wchar_t* sourceDir, int uninstallMode, HMODULE texts, HWND parent)
    : Dialog(::GetModuleHandleW(nullptr), IDD_WIZARD, parent), UninstallMode(uninstallMode), texts_(texts),
      icon_(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP))) {
    CopyText(sourceDir_, kPathChars, sourceDir);
    ReadSetupConfig(sourceDir_, config_);
    title_[0] = L'\0';
}

void ComposeWizardTitle(const wchar_t* appName, int uninstallMode, wchar_t* out, size_t chars) {
    if (!appName[0]) {
        out[0] = L'\0';
        return;
    }
    const wchar_t* suffix = uninstallMode ? L" - Uninstallation Wizard" : L" - Installation Wizard";
    FormatPathN(out, chars, L"%s%s", appName, suffix);
}

INT_PTR WizardDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: return OnPaint();
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(icon_);
    case WM_COMMAND:
        if (LOWORD(wParam) == kActionButton) return OnAction(), TRUE;
        if (LOWORD(wParam) == kCloseButton) return OnCloseButton(), TRUE;
        break;
    case WM_SETUP_PROGRESS: return OnProgress(wParam, lParam), TRUE;
    case WM_TIMER: OnTimer(wParam); return FALSE;
    case WM_ERASEBKGND: return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN: return OnLButtonDown(lParam);
    case fw::kDpiChangedMessage: return OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    case DM_GETDEFID: return OnGetDefId();
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST) OnContrastChanged();
        break;
    case WM_SYSCOLORCHANGE: OnContrastChanged(); break;
    // The dialog puts back the control that had the focus when it lost
    // activation; a page shown meanwhile (a "Fail" box over the progress
    // page, then the failed page) may have hidden it.
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) ::PostMessageW(Hwnd(), kCheckFocusMessage, 0, 0);
        break;
    case kCheckFocusMessage: return OnActivated(), TRUE;
    // The dialog itself gets the focus when a focused control is hidden, or
    // on activation with nothing to restore: the page's default button takes it.
    case WM_SETFOCUS:
        if (HWND button = DefaultButton()) ::SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
        return TRUE;
    }
    return Dialog::HandleMessage(msg, wParam, lParam);
}

void WizardDialog::BindControls() {
    HWND dialog = Hwnd();
    launchBox_.Attach(dialog, kLaunchBox);
    closeButton_.Attach(dialog, kCloseButton);
    titleLabel_.Attach(dialog, kTitleLabel);
    progressBar_ = ::GetDlgItem(dialog, kProgressBar);
    lowerText_.Attach(dialog, kLowerText);
    finishButton_.Attach(dialog, IDOK);
    cancelButton_.Attach(dialog, IDCANCEL);
    upperText_.Attach(dialog, kUpperText);
    actionButton_.Attach(dialog, kActionButton);
}

BOOL WizardDialog::OnInitDialog() {
    BindControls();
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    dpi_ = templateDpi_ = fw::WindowDpi(Hwnd());
    fw::TakeOverDialogDpiScaling(Hwnd());
    ReadContrast();
    LoadSkinBitmaps();
    SetUpTexts();
    ApplyWindowShape();
    LayOutControls();
    FocusDefault();
    return FALSE;  // the focus is set
}

std::wstring WizardDialog::Text(UINT id, int chars) const {
    std::wstring text(chars, L'\0');
    int length = ::LoadStringW(texts_, id, &text[0], chars);
    text.resize(length > 0 ? length : 0);
    return text;
}

void WizardDialog::ShowNewerInstalledBox() const {
    wchar_t installed[kVersionChars];
    if (!ReadInstalledVersion(config_, installed)) installed[0] = L'\0';
    // The text holds one %s, for the installed version (the build checks).
    const std::wstring format = Text(kTextNewerInstalled);
    wchar_t text[1024];
    ::wsprintfW(text, format.c_str(), installed);
    ShowFailureBox(text);
}

void WizardDialog::SetButtonText(CBmpBtnCtrl& button, UINT id) {
    ::SetWindowTextW(button.Hwnd(), Text(id, kButtonLabelChars).c_str());
}

void WizardDialog::SetUpTexts() {
    ComposeWizardTitle(config_.AppName, UninstallMode, title_, kPathChars);
    SetUpFonts();
    StyleLabel(titleLabel_, title_, TextColor(kTitleColor), kTitlePoints);
    ::SetWindowTextW(Hwnd(), title_);

    const bool install = UninstallMode == 0;
    SetButtonText(actionButton_, install ? kTextInstallButton : kTextRemoveButton);
    SetButtonText(finishButton_, kTextFinishButton);
    SetButtonText(cancelButton_, kTextCancelButton);
    const std::wstring closeName = Text(kTextCloseButton, kButtonLabelChars);
    closeButton_.SetAccessibleName(closeName.empty() ? L"Close" : closeName);
    if (install) ::SetWindowTextW(launchBox_.Hwnd(), Text(kTextLaunchBox).c_str());
    StyleLabel(upperText_, Text(install ? kTextReadyToInstall : kTextReadyToRemove), TextColor(kPageTextColor), kUpperPoints);
    StyleLabel(lowerText_, Text(install ? kTextInstallHint : kTextRemoveHint), TextColor(kPageTextColor), kLowerPoints);
}

void WizardDialog::LayOutControls() {
    RECT client = {};
    ::GetClientRect(Hwnd(), &client);
    const WizardLayout layout = ComputeWizardLayout(client.right - client.left, dpi_, LineHeight(titleLabel_.Hwnd()));
    Place(titleLabel_.Hwnd(), layout.title);
    Place(upperText_.Hwnd(), layout.upper);
    Place(lowerText_.Hwnd(), layout.lower);
    closeButton_.FitToBitmap(layout.close.x, layout.close.y);
    actionButton_.FitToBitmap(layout.action.x, layout.action.y);
    finishButton_.FitToBitmap(layout.finish.x, layout.finish.y);
    Show(finishButton_.Hwnd(), false);
    cancelButton_.FitToBitmap(layout.cancel.x, layout.cancel.y);
    FitLaunchBox(layout.launchBox);
    Show(launchBox_.Hwnd(), false);
    Place(progressBar_, layout.progress, SWP_HIDEWINDOW);
}

// The box's width comes from the template, in dialog units of the buttons'
// font: it is set back to that width, in the font of the current dpi,
// before the picture widens it again.
void WizardDialog::FitLaunchBox(POINT at) {
    HWND box = launchBox_.Hwnd();
    RECT client = {};
    ::GetClientRect(box, &client);
    if (launchBoxUnits_ < 0) {
        RECT unit = {0, 0, 4, 0};
        ::MapDialogRect(Hwnd(), &unit);
        dialogBaseUnitX_ = unit.right;
        launchBoxUnits_ = ::MulDiv(client.right, 4, dialogBaseUnitX_);
    }
    const int width = ::MulDiv(launchBoxUnits_, dialogBaseUnitX_, 4);
    if (width != client.right)
        ::SetWindowPos(box, nullptr, 0, 0, width, client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    launchBox_.FitToBitmap(at.x, at.y);
}

void WizardDialog::OnAction() {
    if (workerStarted_) return;
    WorkerStartBlock block = {};
    CopyText(block.SourceDir, kPathChars, sourceDir_);
    block.Dialog = Hwnd();
    block.Mode = UninstallMode;
    if (!StartSetupWorker(block).IsValid()) return;
    workerStarted_ = true;
    // Until the begin notice arrives, nothing else may start or end anything.
    page_ = WizardPage::Progress;
    Withdraw(actionButton_.Hwnd(), false);
    Withdraw(cancelButton_.Hwnd(), false);
    Withdraw(closeButton_.Hwnd(), false);
}

void WizardDialog::OnCloseButton() {
    ::SendMessageW(Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void WizardDialog::OnOK() {
    // The worker must not be cut off in the middle of its procedure.
    if (page_ == WizardPage::Progress) return;
    launchChosen_ = installFinished_ && launchBox_.GetCheckState() != 0;
    restartChosen_ = restartOffered_ && launchBox_.GetCheckState() != 0;
    End(IDOK);
}

void WizardDialog::OnCancel() {
    // A disabled Cancel button refuses Cancel from any source (Escape, the
    // close button, the system menu), as the system's dialogs do.
    if (page_ == WizardPage::Progress || !::IsWindowEnabled(cancelButton_.Hwnd())) return;
    End(IDCANCEL);
}

void WizardDialog::OnProgress(WPARAM notice, LPARAM success) {
    const NoticeEffect effect = DescribeNotice(notice, success);
    if (!effect.known) return;
    if (effect.uninstallBegun) uninstallRan_ = true;
    if (effect.setsOutcome) outcome_ = effect.outcome;
    // As the procedure's own failures, the box comes before the failed page.
    if (effect.setsOutcome && effect.outcome == SetupOutcome::NewerInstalled) ShowNewerInstalledBox();
    if (effect.beginProgress) {
        ::SendMessageW(progressBar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        ::SendMessageW(progressBar_, PBM_SETSTEP, 5, 0);
        ::SendMessageW(progressBar_, PBM_SETPOS, 0, 0);
        Show(progressBar_, true);
        page_ = WizardPage::Progress;
        Withdraw(actionButton_.Hwnd(), false);
        Withdraw(cancelButton_.Hwnd(), false);
        Withdraw(closeButton_.Hwnd(), false);
    }
    if (effect.stopTimer) ::KillTimer(Hwnd(), kProgressTimer);
    if (effect.barFull) ::SendMessageW(progressBar_, PBM_SETPOS, 100, 0);
    if (effect.installFinished) {
        installFinished_ = true;
        Show(progressBar_, false);
        Show(launchBox_.Hwnd(), true);
        launchBox_.SetCheckState(1);
    }
    // Unticked: a user who reads nothing loses no unsaved work.
    if (effect.offerRestart) {
        restartOffered_ = true;
        Show(progressBar_, false);
        ::SetWindowTextW(launchBox_.Hwnd(), Text(kTextRestartNow).c_str());
        launchBox_.SetCheckState(0);
        Show(launchBox_.Hwnd(), true);
    }
    upperText_.SetCaption(Text(effect.upperText));
    lowerText_.SetCaption(Text(effect.lowerText));
    if (effect.beginProgress) ::SetTimer(Hwnd(), kProgressTimer, 200, nullptr);
    if (effect.endPage) ShowEndPage();
}

void WizardDialog::ShowEndPage() {
    page_ = WizardPage::End;
    // Finish shows first, so the focus has somewhere to go.
    Show(finishButton_.Hwnd(), true);
    Withdraw(actionButton_.Hwnd(), true);
    Withdraw(cancelButton_.Hwnd(), false);
    Enable(closeButton_.Hwnd(), true);
    if (::GetFocus() == Hwnd()) FocusDefault();
}

INT_PTR WizardDialog::OnGetDefId() {
    const int id = DefaultButtonOf(page_);
    ::SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, id ? MAKELONG(id, DC_HASDEFID) : 0);
    return TRUE;
}

HWND WizardDialog::DefaultButton() const {
    const int id = DefaultButtonOf(page_);
    HWND button = id ? ::GetDlgItem(Hwnd(), id) : nullptr;
    return Usable(button) ? button : nullptr;
}

// To the page's default button, or to the dialog itself while the page has
// none: never to nothing. A screen reader hears where it went.
void WizardDialog::FocusDefault() {
    HWND target = DefaultButton();
    if (target)
        ::SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    else
        ::SetFocus(target = Hwnd());
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, target, OBJID_CLIENT, CHILDID_SELF);
}

void WizardDialog::OnActivated() {
    HWND focus = ::GetFocus();
    if (!focus || (focus != Hwnd() && (::GetParent(focus) != Hwnd() || !Usable(focus)))) FocusDefault();
}

// Disables or hides a control of the page just left; the focus leaves it
// first, since Windows would drop it to nothing.
void WizardDialog::Withdraw(HWND control, bool hide) {
    if (::GetFocus() == control) FocusDefault();
    if (hide)
        Show(control, false);
    else
        Enable(control, false);
}

void WizardDialog::OnTimer(WPARAM id) {
    if (id != kProgressTimer) return;
    if (::SendMessageW(progressBar_, PBM_GETPOS, 0, 0) < 95)
        ::SendMessageW(progressBar_, PBM_STEPIT, 0, 0);
}
