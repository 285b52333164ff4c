#include "app/AppGlobals.h"

HMODULE LanguageModule = nullptr;
int LaunchAfterFinish = 0;
