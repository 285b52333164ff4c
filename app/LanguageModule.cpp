#include "app/LanguageModule.h"

#include "app/LanguageSelection.h"
#include "engine/config/Paths.h"
#include "engine/report/SetupLog.h"

namespace {

using UiLanguageFn = LANGID(WINAPI*)();

// Looked up by name: the UI language functions are missing from older
// kernels.
bool AskKernel(const char* name, LANGID& language) {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    FARPROC proc = kernel ? ::GetProcAddress(kernel, name) : nullptr;
    if (!proc) return false;
    language = reinterpret_cast<UiLanguageFn>(reinterpret_cast<void*>(proc))();
    return true;
}

class WindowsLanguageSystem : public LanguageSystem {
public:
    bool Language(LanguageSource source, LANGID& language) override {
        switch (source) {
        case LanguageSource::UserUiLanguage: return AskKernel("GetUserDefaultUILanguage", language);
        case LanguageSource::SystemUiLanguage: return AskKernel("GetSystemDefaultUILanguage", language);
        case LanguageSource::UserLangId: language = ::GetUserDefaultLangID(); return true;
        case LanguageSource::SystemLangId: language = ::GetSystemDefaultLangID(); return true;
        }
        return false;
    }
    bool Abbreviation(LANGID language, wchar_t (&abbreviation)[4]) override {
        return ::GetLocaleInfoW(language, LOCALE_SABBREVLANGNAME, abbreviation, 4) != 0;
    }
    bool FileExists(const wchar_t* path) override { return PathExists(path); }
    HMODULE Load(const wchar_t* path) override {
        HMODULE module = ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module) LogLine(L"Language module: %s", path);
        return module;
    }
};

} // namespace

HMODULE LoadLanguageModule(const wchar_t* lowerCasedProgramPath) {
    WindowsLanguageSystem system;
    return SelectLanguageModule(lowerCasedProgramPath, system);
}
