#pragma once
#include <windows.h>

// Where the language module for a language lies, and in which order the
// languages are tried. The decisions take what they ask of the system
// through LanguageSystem, so they can be run with chosen answers.

// The four languages tried, in this order.
enum class LanguageSource { UserUiLanguage, SystemUiLanguage, UserLangId, SystemLangId };

class LanguageSystem {
public:
    virtual ~LanguageSystem() = default;
    // False when the system cannot tell (kernel32 lacks the function).
    virtual bool Language(LanguageSource source, LANGID& language) = 0;
    // The language's three-letter abbreviation (LOCALE_SABBREVLANGNAME);
    // false when the system has none for it.
    virtual bool Abbreviation(LANGID language, wchar_t (&abbreviation)[4]) = 0;
    virtual bool FileExists(const wchar_t* path) = 0;
    // The loaded module, or null.
    virtual HMODULE Load(const wchar_t* path) = 0;
};

// The module file one try loads: the program path up to its first ".exe",
// then the abbreviation and ".DLL" when that file exists, otherwise "ENU.DLL"
// after the same prefix. False (and `out` empty) when the path holds no
// ".exe" or the name would not fit in kPathChars.
bool ChooseLanguageModuleFile(const wchar_t* lowerCasedProgramPath, const wchar_t* abbreviation,
                              LanguageSystem& system, wchar_t* out);

// Tries the user's and the system's UI language, then the user's and the
// system's default language, and returns the first module that loads, or
// null. A try whose own module is missing falls back to the English one at
// once; the next language is asked only when that fails too.
HMODULE SelectLanguageModule(const wchar_t* lowerCasedProgramPath, LanguageSystem& system);
