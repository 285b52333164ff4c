#include "app/LanguageSelection.h"

#include <cwchar>

#include "engine/config/Paths.h"

namespace {

// Prefix (its first `length` characters), abbreviation and ".DLL".
bool ComposeModuleName(const wchar_t* prefix, size_t length, const wchar_t* abbreviation,
                       wchar_t* out) {
    const wchar_t extension[] = L".DLL";
    size_t total = length + std::wcslen(abbreviation) + std::wcslen(extension);
    if (total >= kPathChars) {
        out[0] = L'\0';
        return false;
    }
    std::wmemcpy(out, prefix, length);
    out[length] = L'\0';
    std::wcscat(out, abbreviation);
    std::wcscat(out, extension);
    return true;
}

HMODULE TryLanguage(const wchar_t* programPath, LANGID language, LanguageSystem& system) {
    wchar_t abbreviation[4] = {};
    if (!system.Abbreviation(language, abbreviation)) return nullptr;
    wchar_t module[kPathChars];
    if (!ChooseLanguageModuleFile(programPath, abbreviation, system, module)) return nullptr;
    return system.Load(module);
}

HMODULE TrySource(const wchar_t* programPath, LanguageSource source, LanguageSystem& system,
                  bool* available = nullptr) {
    LANGID language = 0;
    bool known = system.Language(source, language);
    if (available) *available = known;
    return known ? TryLanguage(programPath, language, system) : nullptr;
}

} // namespace

bool ChooseLanguageModuleFile(const wchar_t* lowerCasedProgramPath, const wchar_t* abbreviation,
                              LanguageSystem& system, wchar_t* out) {
    out[0] = L'\0';
    const wchar_t* exe = std::wcsstr(lowerCasedProgramPath, L".exe");
    if (!exe) return false;
    size_t length = static_cast<size_t>(exe - lowerCasedProgramPath);
    // A name too long for the buffer is no candidate: cut, it could name
    // another file.
    if (!ComposeModuleName(lowerCasedProgramPath, length, abbreviation, out)) return false;
    if (system.FileExists(out)) return true;
    return ComposeModuleName(lowerCasedProgramPath, length, L"ENU", out);
}

HMODULE SelectLanguageModule(const wchar_t* lowerCasedProgramPath, LanguageSystem& system) {
    bool uiKnown = false;
    HMODULE module = TrySource(lowerCasedProgramPath, LanguageSource::UserUiLanguage, system, &uiKnown);
    // The system's UI language is looked up only where the user's could be.
    if (!module && uiKnown)
        module = TrySource(lowerCasedProgramPath, LanguageSource::SystemUiLanguage, system);
    if (!module) module = TrySource(lowerCasedProgramPath, LanguageSource::UserLangId, system);
    if (!module) module = TrySource(lowerCasedProgramPath, LanguageSource::SystemLangId, system);
    return module;
}
