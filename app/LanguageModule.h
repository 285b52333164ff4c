#pragma once
#include <windows.h>

// Loads the module that holds the wizard's texts for the user's language.
// Returns null when there is none.
HMODULE LoadLanguageModule(const wchar_t* lowerCasedProgramPath);
