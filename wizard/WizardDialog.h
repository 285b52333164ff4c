#pragma once
#include "engine/Paths.h"
#include "framework/Dialog.h"

// The install and uninstall wizard, a modal dialog from template 102.
class WizardDialog : public fw::Dialog {
public:
    WizardDialog(HINSTANCE instance, const wchar_t* sourceDir, int uninstallMode, HWND parent);

    // True once this dialog has started the uninstall procedure: only then
    // may the program remove the uninstaller's folder as it exits.
    bool UninstallProcedureRan() const { return uninstallRan_; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    wchar_t sourceDir_[kPathChars];
    int uninstallMode_;
    bool uninstallRan_ = false;
};

// The window title: AppName and the mode's suffix; empty for an empty name.
void ComposeWizardTitle(const wchar_t* appName, int uninstallMode, wchar_t* out, size_t chars);
