#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace hostile {

// How one run of setup.exe ended, as a user or a deployment tool sees it.
struct RunOutcome {
    bool ended = false;         // within the deadline; otherwise it was ended
    DWORD exitCode = 0;
    std::vector<std::wstring> failMessages;  // the texts of its "Fail" boxes, each answered
    bool otherWindow = false;   // a visible window other than a "Fail" box
    bool silent = false;        // the command line asked for a silent run
    std::vector<std::wstring> failureEvents;  // the texts of its failure events
    std::vector<std::wstring> closingCodes;   // the exit codes its closing events name
};

// Runs the command line and watches it until it ends or `deadlineMs`
// passes (then ends it): answers every "Fail" box with OK, noting its
// text, and notes any other window. `onWindow`, if given, is called with
// each visible window that is not a "Fail" box (a wizard to drive).
struct WindowHandler {
    virtual ~WindowHandler() = default;
    virtual void OnWindow(HWND window) = 0;
};
RunOutcome RunSetup(const std::wstring& commandLine, DWORD deadlineMs = 120000,
                    WindowHandler* handler = nullptr);

// The exit codes of a process that crashed (an exception code such as
// 0xC0000005) rather than ending by itself.
bool IsCrashCode(DWORD code);

// Every text of the box's static controls, joined.
std::wstring BoxText(HWND box);

} // namespace hostile
