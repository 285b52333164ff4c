#pragma once
#include <windows.h>

namespace fw {

// A modal dialog built from a template resource. The dialog procedure keeps
// `this` in the window (from WM_INITDIALOG's lParam) and forwards every
// message to HandleMessage, which derived dialogs override as a message map.
class Dialog {
public:
    Dialog(HINSTANCE instance, int templateId, HWND parent)
        : instance_(instance), templateId_(templateId), parent_(parent) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog's own loop until EndDialog; returns its result, or -1
    // when the dialog could not be created.
    INT_PTR DoModal();
    HWND Hwnd() const { return hwnd_; }

protected:
    // Returns TRUE for a handled message, as a dialog procedure does.
    virtual INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    void End(INT_PTR result) { ::EndDialog(hwnd_, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
};

} // namespace fw
