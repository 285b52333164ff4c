#include "tests/hostile/SetupRun.h"


#include "tests/support/EventChannel.h"
#include "tests/support/TestSupport.h"

namespace hostile {

namespace {

struct ProcessWindows {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == query->processId && ::IsWindowVisible(window)) query->windows.push_back(window);
    return TRUE;
}

std::wstring TitleOf(HWND window) {
    wchar_t title[512] = {};
    ::GetWindowTextW(window, title, 512);
    return title;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (::lstrcmpiW(className, L"Static") != 0) return TRUE;
    wchar_t text[1024] = {};
    ::GetWindowTextW(child, text, 1024);
    auto* joined = reinterpret_cast<std::wstring*>(param);
    if (text[0]) *joined += (joined->empty() ? L"" : L" ") + std::wstring(text);
    return TRUE;
}

} // namespace

std::wstring BoxText(HWND box) {
    std::wstring joined;
    ::EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&joined));
    return joined;
}

RunOutcome RunSetup(const std::wstring& commandLine, DWORD deadlineMs, WindowHandler* handler) {
    RunOutcome outcome;
    const test::EventChannel channel;
    test::Process setup(commandLine);
    if (!setup.Started()) return outcome;
    std::vector<HWND> answered;
    outcome.ended = test::WaitFor([&] {
        ProcessWindows found{setup.Id(), {}};
        ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&found));
        for (HWND window : found.windows) {
            if (TitleOf(window) != L"Fail") {
                outcome.otherWindow = true;
                if (handler) handler->OnWindow(window);
                continue;
            }
            // A box is noted once, however long it takes to go.
            bool known = false;
            for (HWND seen : answered) known = known || seen == window;
            if (!known) {
                answered.push_back(window);
                outcome.failMessages.push_back(BoxText(window));
            }
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return setup.Wait(0) != -1;
    }, deadlineMs);
    // A run that did not end is ended by the Process owner.
    if (outcome.ended) outcome.exitCode = static_cast<DWORD>(setup.Wait(0));
    outcome.failureEvents = channel.Failures();
    for (const test::ReportedEvent& event : channel.Events())
        if (event.strings.size() == 4) outcome.closingCodes.push_back(event.strings[3]);
    return outcome;
}

bool IsCrashCode(DWORD code) { return (code & 0xF0000000u) == 0xC0000000u || code == 0x80000003u; }

} // namespace hostile
