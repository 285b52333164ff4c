#include "wizard/WizardDialog.h"

#include "engine/Install.h"
#include "engine/SetupConfig.h"
#include "engine/Uninstall.h"
#include "res/resource.h"

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

BOOL WizardDialog::OnInitDialog() {
    SetupConfig config;
    ReadSetupConfig(sourceDir_, config);
    wchar_t title[2 * kPathChars];
    ComposeWizardTitle(config.AppName, uninstallMode_, title, 2 * kPathChars);
    ::SetWindowTextW(Hwnd(), title);
    return TRUE;
}

void WizardDialog::OnOK() {
    // The pages and the worker thread are not built yet: the procedure runs
    // here, and the dialog ends when it is done.
    ::EnableWindow(Hwnd(), FALSE);
    SetupConfig config;
    ReadSetupConfig(sourceDir_, config);
    if (uninstallMode_) {
        uninstallRan_ = true;
        UninstallApplication(config);
    } else {
        InstallApplication(sourceDir_, config);
    }
    End(IDOK);
}
