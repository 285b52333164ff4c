#include "app/LanguageModule.h"

HMODULE LoadLanguageModule(const wchar_t* lowerCasedProgramPath) {
    // Until the per-language modules ship, the wizard's texts come from the
    // program file itself, loaded as a resource-only module.
    return ::LoadLibraryExW(lowerCasedProgramPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}
