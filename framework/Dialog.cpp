#include "framework/Dialog.h"

#include "framework/Control.h"

namespace fw {

INT_PTR Dialog::DoModal() {
    return ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId_), parent_,
                             &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    // Bound controls see their own notifications first; a drawn item is done.
    if (Control::Reflect(msg, wParam, lParam)) return TRUE;
    INT_PTR result = self->HandleMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) self->hwnd_ = nullptr;
    return result;
}

INT_PTR Dialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    }
    return FALSE;
}

bool Dialog::OnCommand(WORD id, WORD, HWND) {
    switch (id) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    }
    return false;
}

} // namespace fw
