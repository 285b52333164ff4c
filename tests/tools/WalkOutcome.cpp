#include "tests/tools/WalkOutcome.h"

#include <windows.h>


#include "app/LanguageModule.h"
#include "framework/Handle.h"

namespace walk {

namespace {

bool Shows(const std::wstring& upperText, const std::wstring& pageText) {
    return !pageText.empty() && upperText == pageText;
}

std::wstring LoadText(HMODULE module, UINT id) {
    wchar_t text[1024] = {};
    const int length = ::LoadStringW(module, id, text, 1024);
    return std::wstring(text, length > 0 ? length : 0);
}

} // namespace

PageOutcome DecideOutcome(const std::wstring& upperText, const EndTexts& texts) {
    if (Shows(upperText, texts.installFailed) || Shows(upperText, texts.uninstallFailed))
        return PageOutcome::Failed;
    if (Shows(upperText, texts.installFinished) || Shows(upperText, texts.uninstallFinished) ||
        Shows(upperText, texts.installRestart) || Shows(upperText, texts.uninstallRestart))
        return PageOutcome::Finished;
    return PageOutcome::Unknown;
}

const wchar_t* OutcomeName(PageOutcome outcome) {
    switch (outcome) {
    case PageOutcome::Finished: return L"finished";
    case PageOutcome::Failed: return L"failed";
    case PageOutcome::Unknown: break;
    }
    return L"unknown";
}

EndTexts LoadEndTexts(const std::wstring& programPath) {
    wchar_t full[MAX_PATH] = {};
    if (!::GetFullPathNameW(programPath.c_str(), MAX_PATH, full, nullptr)) return EndTexts();
    // setup.exe looks its module up from its lower-cased path.
    for (wchar_t* c = full; *c; ++c)
        if (*c >= L'A' && *c <= L'Z') *c = static_cast<wchar_t>(*c - L'A' + L'a');
    fw::Module module(LoadLanguageModule(full));
    if (!module.Get()) return EndTexts();
    return EndTexts{LoadText(module.Get(), 7),  LoadText(module.Get(), 9),  LoadText(module.Get(), 14),
                    LoadText(module.Get(), 15), LoadText(module.Get(), 22), LoadText(module.Get(), 23)};
}

} // namespace walk
