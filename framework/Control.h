#pragma once
#include <windows.h>

#include "framework/Accessible.h"

namespace fw {

// A control object bound to an existing child window (usually a dialog
// item). Binding subclasses the window: its messages go to HandleMessage,
// and whatever that leaves alone goes on to the previous window procedure
// through Default. The binding ends with Detach, with the object, or when
// the window is destroyed.
class Control {
public:
    Control() = default;
    virtual ~Control() { Detach(); }
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    bool Attach(HWND dialog, int controlId);
    bool AttachWindow(HWND hwnd);
    void Detach();
    HWND Hwnd() const { return hwnd_; }

    // The control object bound to a window, or null.
    static Control* FromHandle(HWND hwnd);
    // The parent's share of message reflection: hands WM_DRAWITEM and
    // WM_COMMAND that come from a bound control to that control first.
    // True when the control drew the item (the parent then stops there);
    // a WM_COMMAND always goes on to the parent.
    static bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam);

    // What a screen reader is told of the control; false leaves the window
    // to the system's own accessible object.
    virtual bool Describe(AccessibleFacts&) const { return false; }
    // The default action a screen reader asks for.
    virtual void DoDefaultAction() {}

protected:
    // The control's message map; unhandled messages go to Default.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        return Default(msg, wParam, lParam);
    }
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
    // Runs once the window is bound.
    virtual void OnAttach() {}
    virtual bool OnReflectedDrawItem(const DRAWITEMSTRUCT&) { return false; }
    virtual void OnReflectedCommand(WORD /*notifyCode*/) {}

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr;
};

} // namespace fw
