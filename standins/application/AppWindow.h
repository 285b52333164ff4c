#pragma once
#include <windows.h>

#include "standins/application/StandinMode.h"

// The application's one top-level window. The installer finds it by its
// title and closes it with WM_CLOSE, which ends the message loop.
class AppWindow {
public:
    explicit AppWindow(StandinMode mode) : mode_(mode) {}
    bool Create(HINSTANCE instance, const wchar_t* title);
    void Show(int showCommand);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnClose();
    LRESULT OnHang();

    StandinMode mode_;
    HWND hwnd_ = nullptr;
};
