#pragma once
#include <string>

namespace walk {

enum class PageOutcome { Finished, Failed, Unknown };

// The upper texts of the wizard's last pages, from its language module.
struct EndTexts {
    std::wstring installFinished;   // id 7
    std::wstring installFailed;     // id 9
    std::wstring uninstallFailed;   // id 14
    std::wstring uninstallFinished; // id 15
    std::wstring installRestart;    // id 22: finished, a restart completes it
    std::wstring uninstallRestart;  // id 23
};

// Which last page shows `upperText`. An empty text names no page.
PageOutcome DecideOutcome(const std::wstring& upperText, const EndTexts& texts);
const wchar_t* OutcomeName(PageOutcome outcome);

// The texts of the language module that setup.exe at `programPath` picks
// for this process's languages (the walk runs under the same locale); all
// empty when there is none.
EndTexts LoadEndTexts(const std::wstring& programPath);

} // namespace walk
