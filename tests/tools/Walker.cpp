#include "tests/tools/Walker.h"

#include <commctrl.h>

#include "framework/Handle.h"
#include "tests/tools/WalkWindows.h"
#include "tests/wizard/ContrastSeam.h"

namespace walk {

namespace {

constexpr int kActionButton = 1000;
constexpr int kUpperText = 1001;
constexpr int kProgressBar = 1003;
constexpr int kLaunchBox = 1008;
constexpr int kMessageText = 0xFFFF; // the text of a message box

constexpr DWORD kPollMs = 20;
constexpr DWORD kWizardAppearsMs = 120000;
constexpr DWORD kButtonAnswersMs = 5000;
constexpr DWORD kWorkBeginsMs = 60000;
constexpr DWORD kWorkEndsMs = 600000;
constexpr DWORD kProgramEndsMs = 60000;
constexpr DWORD kApplicationAppearsMs = 30000;
// A page is taken once the screen has shown the same for this long; the
// progress page never rests (its bar creeps), so it gets a short look.
constexpr DWORD kPageQuietMs = 300;
constexpr DWORD kPageSettleMs = 5000;
constexpr DWORD kProgressQuietMs = 100;
constexpr DWORD kProgressSettleMs = 1000;
// Two ticks of the bar's 200 ms timer.
constexpr LRESULT kProgressShown = 10;
constexpr DWORD kProgressCreepsMs = 2000;


LRESULT ProgressOf(HWND wizard) {
    DWORD_PTR position = 0;
    ::SendMessageTimeoutW(::GetDlgItem(wizard, kProgressBar), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG,
                          kButtonAnswersMs, &position);
    return static_cast<LRESULT>(position);
}

std::wstring AppNameOf(const std::wstring& program) {
    const size_t slash = program.find_last_of(L"\\/");
    const std::wstring ini =
        (slash == std::wstring::npos ? std::wstring(L".\\") : program.substr(0, slash + 1)) + L"setup.ini";
    wchar_t name[MAX_PATH] = {};
    ::GetPrivateProfileStringW(L"Startup", L"AppName", L"Arrayvane", name, MAX_PATH, ini.c_str());
    return name;
}

} // namespace

void Report(const std::wstring& what, const std::wstring& value) {
    const std::wstring line = what + L": " + value + L"\n";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(bytes - 1),
                &written, nullptr);
}

Walker::Walker(const WalkSetup& setup, HANDLE process, DWORD pid)
    : setup_(setup), process_(process), pid_(pid), texts_(LoadEndTexts(setup.program)) {}

Walker::Wait Walker::Until(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        AnswerFailBoxes();
        if (done()) return Wait::Done;
        if (Ended(process_)) return Wait::Ended;
        if (::GetTickCount() - start >= timeoutMs) return Wait::TimedOut;
        ::Sleep(kPollMs);
    }
}

void Walker::AnswerFailBoxes() {
    while (HWND box = FindDialogOf(pid_, &IsFailBox)) {
        const std::wstring text = ControlText(box, kMessageText);
        ++messages_;
        const std::wstring page = messages_ == 1 ? L"message" : L"message-" + std::to_wstring(messages_);
        RECT area = {};
        ::GetWindowRect(box, &area);
        const Shot shot = SettledShot(box, kPageQuietMs, kPageSettleMs);
        Report(L"message", L"\"" + text + L"\" " + Save(shot, page));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (!PollFor([box] { return !::IsWindow(box) || !::IsWindowVisible(box); }, kButtonAnswersMs)) {
            Report(L"note", L"the message box did not close");
            return;
        }
        // The screen may go on showing a closed window for a while; no later
        // picture may show it.
        if (!PollFor([&] { return !(CaptureScreen(area) == shot); }, kPageSettleMs))
            Report(L"note", L"the screen still shows the closed message box");
    }
}

std::wstring Walker::Save(const Shot& shot, const std::wstring& page) {
    const std::wstring path = setup_.outputDir + setup_.prefix + L"-" + page + L".png";
    if (!SaveShot(shot, path)) return L"(could not be written: " + path + L")";
    return path;
}

int Walker::Fail(const std::wstring& why) {
    Report(L"error", why);
    ::TerminateProcess(process_, 1);
    return 1;
}

// A real click at the control's middle; BM_CLICK only when the click had
// no effect (input that cannot reach the window).
bool Walker::Press(int id, const std::function<bool()>& pressed) {
    HWND control = ::GetDlgItem(wizard_, id);
    ClickCentre(control);
    Wait wait = Until(pressed, kButtonAnswersMs);
    MoveMouseAway();
    if (wait != Wait::TimedOut) return true;
    Report(L"note", L"a mouse click on button " + std::to_wstring(id) +
                        L" had no effect; it was pressed with BM_CLICK");
    ::PostMessageW(control, BM_CLICK, 0, 0);
    return Until(pressed, kButtonAnswersMs) != Wait::TimedOut;
}

void Walker::ShootProgress() {
    HWND wizard = wizard_;
    auto ended = [wizard] { return IsShown(wizard, IDOK); };
    if (Until([&] { return IsShown(wizard, kProgressBar) || ended(); }, kWorkBeginsMs) == Wait::Done &&
        !ended()) {
        // A first install may keep this page up for a moment only: take it
        // at once, the last page may have come while the picture was taken.
        Shot shot = SettledShot(wizard, kProgressQuietMs, kProgressSettleMs);
        if (!ended()) {
            // If the page stays, a later picture shows the bar moving. A
            // failure box that comes meanwhile is taken with the page, as
            // the user sees it.
            PollFor([&] { return ProgressOf(wizard) >= kProgressShown || ended(); }, kProgressCreepsMs);
            Shot later = SettledShot(wizard, kProgressQuietMs, kProgressSettleMs);
            if (!ended()) shot = std::move(later);
            Report(L"progress", Save(shot, L"progress"));
            return;
        }
    }
    Report(L"progress", L"missed (the page had gone before it could be taken)");
}

bool Walker::ShootLastPage() {
    HWND wizard = wizard_;
    if (Until([wizard] { return IsShown(wizard, IDOK); }, kWorkEndsMs) != Wait::Done) return false;
    const PageOutcome outcome = DecideOutcome(ControlText(wizard, kUpperText), texts_);
    DWORD_PTR checked = 0;
    launchExpected_ = IsShown(wizard, kLaunchBox) &&
                      ::SendMessageTimeoutW(::GetDlgItem(wizard, kLaunchBox), BM_GETCHECK, 0, 0,
                                            SMTO_ABORTIFHUNG, kButtonAnswersMs, &checked) &&
                      checked == BST_CHECKED;
    const std::wstring page = outcome == PageOutcome::Unknown ? L"ended" : OutcomeName(outcome);
    Report(page, Save(SettledShot(wizard, kPageQuietMs, kPageSettleMs), page));
    Report(L"outcome", OutcomeName(outcome));
    return true;
}

bool Walker::Finish() {
    HWND wizard = wizard_;
    const HANDLE process = process_;
    if (!Press(IDOK, [wizard, process] { return Ended(process) || !::IsWindowVisible(wizard); }))
        return false;
    return PollFor([process] { return Ended(process); }, kProgramEndsMs);
}

// The finish page's ticked box starts the application after the wizard has
// gone; it would otherwise stay on a display nobody looks at.
void Walker::CloseLaunchedApplication() {
    const std::wstring name = AppNameOf(setup_.program);
    HWND window = nullptr;
    if (!PollFor([&] { return (window = ::FindWindowW(nullptr, name.c_str())) != nullptr &&
                              ::IsWindowVisible(window); },
                 kApplicationAppearsMs)) {
        Report(L"application", L"no window \"" + name + L"\" appeared");
        return;
    }
    Report(L"application", L"started (window \"" + name + L"\")");
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    fw::Handle application(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (application.IsValid() &&
        ::WaitForSingleObject(application.Get(), kProgramEndsMs) == WAIT_OBJECT_0) {
        Report(L"application", L"closed");
    } else {
        Report(L"application", L"did not close");
    }
}

int Walker::Run() {
    const Wait appeared = Until([this] { return (wizard_ = FindDialogOf(pid_, &IsWizard)) != nullptr; },
                                kWizardAppearsMs);
    if (appeared == Wait::TimedOut) return Fail(L"no wizard window appeared");
    if (appeared == Wait::Done) {
        // AV_WALK_HIGH_CONTRAST names font-probe.dll: the wizard is walked
        // in High Contrast, in the colours of the prefix's session.
        wchar_t probe[MAX_PATH] = {};
        if (::GetEnvironmentVariableW(L"AV_WALK_HIGH_CONTRAST", probe, MAX_PATH)) {
            static contrast::SeenHighContrast on;
            if (!contrast::TellContrastChanged(wizard_, true, probe)) return Fail(L"the wizard did not follow High Contrast");
        }
        MoveMouseAway();
        Report(L"ready", Save(SettledShot(wizard_, kPageQuietMs, kPageSettleMs), L"ready"));
        HWND wizard = wizard_;
        if (!Press(kActionButton, [wizard] {
                return !IsEnabled(wizard, kActionButton) || IsShown(wizard, kProgressBar) ||
                       IsShown(wizard, IDOK);
            })) {
            return Fail(L"the action button could not be pressed");
        }
        ShootProgress();
        if (!ShootLastPage()) return Fail(L"the finish button did not appear");
        if (!Finish()) return Fail(L"setup.exe did not end after the finish button");
    } else {
        Report(L"wizard", L"none (setup.exe ended without one)");
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    Report(L"exit code", std::to_wstring(code));
    if (launchExpected_) CloseLaunchedApplication();
    return 0;
}

} // namespace walk
