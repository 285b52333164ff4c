#include "framework/Control.h"

namespace fw {

namespace {
const wchar_t kControlProperty[] = L"fw.Control";
}

bool Control::Attach(HWND dialog, int controlId) {
    return AttachWindow(::GetDlgItem(dialog, controlId));
}

bool Control::AttachWindow(HWND hwnd) {
    if (hwnd_ || !hwnd || FromHandle(hwnd)) return false;
    if (!::SetPropW(hwnd, kControlProperty, this)) return false;
    hwnd_ = hwnd;
    previous_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::WindowProc)));
    OnAttach();
    return true;
}

void Control::Detach() {
    if (!hwnd_) return;
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    ::RemovePropW(hwnd_, kControlProperty);
    hwnd_ = nullptr;
    previous_ = nullptr;
}

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Control*>(::GetPropW(hwnd, kControlProperty)) : nullptr;
}

bool Control::Reflect(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        Control* control = item ? FromHandle(item->hwndItem) : nullptr;
        return control && control->OnReflectedDrawItem(*item);
    }
    if (msg == WM_COMMAND && lParam) {
        if (Control* control = FromHandle(reinterpret_cast<HWND>(lParam)))
            control->OnReflectedCommand(HIWORD(wParam));
    }
    return false;
}

LRESULT Control::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    return previous_ ? ::CallWindowProcW(previous_, hwnd_, msg, wParam, lParam)
                     : ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Control::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Control* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window goes: let the previous procedure finish with it, then
        // let go, so the object never talks to a dead handle.
        LRESULT result = self->Default(msg, wParam, lParam);
        self->Detach();
        return result;
    }
    if (msg == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        AccessibleFacts facts;
        if (self->Describe(facts))
            if (LRESULT object = AnswerGetObject(hwnd, wParam)) return object;
    }
    return self->HandleMessage(msg, wParam, lParam);
}

} // namespace fw
