#pragma once
#include <windows.h>

#include <functional>
#include <string>

// What the walk asks of another process's windows: plain Win32 calls that
// work across processes (the wizard runs in setup.exe, not here).
namespace walk {

// The first visible top-level dialog-class window of process `pid` for
// which `accept` holds; null when there is none.
HWND FindDialogOf(DWORD pid, bool (*accept)(HWND));
// The wizard: the dialog that holds the action button.
bool IsWizard(HWND dialog);
// The engine's failure message box, captioned "Fail".
bool IsFailBox(HWND dialog);

// Polls `done` every `pollMs` until it holds or the time is up.
bool PollFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 20);
bool Ended(HANDLE process);

std::wstring WindowText(HWND window);
// The text of a control of another process, asked for with WM_GETTEXT.
std::wstring ControlText(HWND dialog, int id);
bool IsShown(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// Real mouse input: press and release the left button at the middle of a
// control, and move the pointer out of every window's way.
void ClickCentre(HWND control);
void MoveMouseAway();

} // namespace walk
