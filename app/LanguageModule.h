#pragma once
#include <windows.h>

// Selects and loads the module that holds the wizard's texts for the
// user's language, beside the program. Returns null when there is none.
// The module is mapped as a data file: it holds only strings, and a module
// planted beside the installer must not run any code.
HMODULE LoadLanguageModule(const wchar_t* lowerCasedProgramPath);
