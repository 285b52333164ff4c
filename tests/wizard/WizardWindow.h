#pragma once
#include <windows.h>

#include <string>

#include "tests/wizard/ContrastSeam.h"

namespace wizard {

using contrast::SeenHighContrast;

// The wizard's control ids.
enum : int {
    kFinish = IDOK,
    kCancel = IDCANCEL,
    kAction = 1000,
    kUpperText = 1001,
    kLowerText = 1002,
    kProgressBar = 1003,
    kCloseButton = 1004,
    kTitle = 1005,
    kLaunchBox = 1008,
};

// The wizard window of another process, read and driven from the test
// through window messages and real mouse input.
class WizardWindow {
public:
    explicit WizardWindow(HWND hwnd) : hwnd_(hwnd) {}
    HWND Hwnd() const { return hwnd_; }
    bool Exists() const { return ::IsWindow(hwnd_) != FALSE; }

    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    bool Visible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const;
    std::wstring Text(int id) const;
    std::wstring Title() const;
    // Left, top, width and height in the dialog's client area.
    RECT Place(int id) const;
    RECT Frame() const;
    int BarPosition() const;
    // Pixels inside the window's region.
    long RegionArea() const;

    // What a screen reader reads of the control through its accessible
    // object: "role R, name 'N', state S, action 'A'", the state masked
    // to the bits the wizard's controls tell.
    std::string Accessible(int id) const;
    // The accessible object's default action (accDoDefaultAction).
    bool DoDefaultAction(int id) const;

    // A real click at the centre of the control.
    void Click(int id) const;
    // A real key stroke, once the wizard is the foreground window.
    void Press(WORD key, WORD modifier = 0) const;
    // The window that has the keyboard focus in the wizard's thread.
    HWND Focus() const;
    // What is wrong with the focus: nothing ("") while it is on the wizard
    // itself or on one of its visible, enabled controls.
    std::string FocusFault() const;

private:
    HWND hwnd_;
};

// The process's visible top-level window of that title, polled for with a
// deadline. Where AV_HIGH_CONTRAST is set, the wizard is then made to see
// High Contrast on (below) and has followed it.
HWND WaitForWindow(DWORD processId, const std::wstring& title, DWORD timeoutMs = 30000);

// A contrast theme: the system colours a prefix's programs take at their
// start, as Windows' own value names under HKCU\Control Panel\Colors.
struct ThemeColor {
    int index;            // COLOR_...
    const wchar_t* name;  // its value's name
    COLORREF color;
};
struct Theme {
    const char* name;
    ThemeColor colors[13];
};
extern const Theme kNightSky;  // dark
extern const Theme kDesert;    // light

// Sets a theme's colours for the programs started from now on; the earlier
// values come back at the end.
class ScopedTheme {
public:
    explicit ScopedTheme(const Theme& theme);
    ~ScopedTheme();
    ScopedTheme(const ScopedTheme&) = delete;
    ScopedTheme& operator=(const ScopedTheme&) = delete;

private:
    struct Saved {
        std::wstring name, value;
        bool had;
    };
    Saved saved_[13];
};

// Loads font-probe.dll into the wizard's process and tells it that High
// Contrast changed (ContrastSeam.h); true once it has followed.
bool TellContrastChanged(HWND wizard, bool on);

// UTF-8, as Accessible reports names.
std::string Utf8Text(const std::wstring& text);

// A string of a language module, read as data.
std::wstring ModuleText(const std::wstring& modulePath, UINT id);

} // namespace wizard
