#pragma once
#include <windows.h>

// The loaded language module: the wizard loads its texts from it.
extern HMODULE LanguageModule;
// 1 when the user left the launch box ticked on the finished page.
extern int LaunchAfterFinish;
