#include "wizard/WizardDialog.h"

#include "app/AppGlobals.h"
#include "engine/SetupConfig.h"
#include "res/resource.h"
#include "wizard/SetupWorker.h"

WizardDialog::WizardDialog(HINSTANCE instance, const wchar_t* sourceDir, int uninstallMode,
                           HWND parent)
    : Dialog(instance, IDD_WIZARD, parent), uninstallMode_(uninstallMode) {
    CopyText(sourceDir_, kPathChars, sourceDir);
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
    case WM_SETUP_PROGRESS: OnProgress(wParam & 0xFF, lParam); return TRUE;
    }
    return Dialog::HandleMessage(msg, wParam, lParam);
}

void WizardDialog::SetItemText(int item, UINT stringId) {
    wchar_t text[128] = {};
    ::LoadStringW(LanguageModule, stringId, text, 128);
    ::SetDlgItemTextW(Hwnd(), item, text);
}

BOOL WizardDialog::OnInitDialog() {
    SetupConfig config;
    ReadSetupConfig(sourceDir_, config);
    wchar_t title[2 * kPathChars];
    ComposeWizardTitle(config.AppName, uninstallMode_, title, 2 * kPathChars);
    ::SetWindowTextW(Hwnd(), title);
    SetItemText(IDOK, uninstallMode_ ? 10 : 1);
    SetItemText(IDCANCEL, 2);
    return TRUE;
}

void WizardDialog::OnOK() {
    // Until the wizard has its pages, OK starts the worker and the end
    // notice closes the dialog.
    if (working_) return;
    WorkerStartBlock block = {};
    CopyText(block.SourceDir, kPathChars, sourceDir_);
    block.Dialog = Hwnd();
    block.Mode = uninstallMode_;
    if (!StartSetupWorker(block).IsValid()) return;
    working_ = true;
    ::EnableWindow(::GetDlgItem(Hwnd(), IDOK), FALSE);
    ::EnableWindow(::GetDlgItem(Hwnd(), IDCANCEL), FALSE);
}

void WizardDialog::OnCancel() {
    // Closing while the worker runs would end the process in the middle of
    // its procedure.
    if (!working_) End(IDCANCEL);
}

void WizardDialog::OnProgress(WPARAM notice, LPARAM) {
    switch (notice) {
    case PROGRESS_UNINSTALL_BEGIN: uninstallRan_ = true; break;
    case PROGRESS_INSTALL_END:
    case PROGRESS_UNINSTALL_END: End(IDOK); break;
    }
}
