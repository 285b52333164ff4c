#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "tests/tools/WalkOutcome.h"
#include "tests/tools/WindowShot.h"

namespace walk {

struct WalkSetup {
    std::wstring outputDir; // ends with a backslash
    std::wstring prefix;    // of every picture's name
    std::wstring program;   // setup.exe, as started
};

// Walks the wizard of a started setup.exe as a user would: the ready page,
// the action button, the progress page, the last page, the finish button.
// Prints what it saved and how the run ended, one item a line.
class Walker {
public:
    Walker(const WalkSetup& setup, HANDLE process, DWORD pid);
    // 0 when the walk went to its end (or the program ended without a wizard).
    int Run();

private:
    enum class Wait { Done, Ended, TimedOut };
    // Polls `done` until it holds, `timeoutMs` passes or the program ends,
    // answering the engine's failure boxes meanwhile.
    Wait Until(const std::function<bool()>& done, DWORD timeoutMs);
    void AnswerFailBoxes();
    bool Press(int id, const std::function<bool()>& pressed);
    void ShootProgress();
    bool ShootLastPage();
    bool Finish();
    void CloseLaunchedApplication();
    std::wstring Save(const Shot& shot, const std::wstring& page);
    int Fail(const std::wstring& why);

    WalkSetup setup_;
    HANDLE process_;
    DWORD pid_;
    HWND wizard_ = nullptr;
    EndTexts texts_;
    bool launchExpected_ = false;
    int messages_ = 0;
};

void Report(const std::wstring& what, const std::wstring& value);

} // namespace walk
