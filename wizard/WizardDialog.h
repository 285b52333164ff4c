#pragma once
#include "engine/Paths.h"
#include "framework/Dialog.h"

// The install and uninstall wizard, a modal dialog from template 102.
class WizardDialog : public fw::Dialog {
public:
    WizardDialog(HINSTANCE instance, const wchar_t* sourceDir, int uninstallMode, HWND parent);

    // True once this dialog's worker has begun the uninstall procedure:
    // only then may the program remove the uninstaller's folder as it exits.
    bool UninstallProcedureRan() const { return uninstallRan_; }

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void OnProgress(WPARAM notice, LPARAM success);
    void SetItemText(int item, UINT stringId);

    wchar_t sourceDir_[kPathChars];
    int uninstallMode_;
    bool working_ = false;
    bool uninstallRan_ = false;
};

// The window title: AppName and the mode's suffix; empty for an empty name.
void ComposeWizardTitle(const wchar_t* appName, int uninstallMode, wchar_t* out, size_t chars);
