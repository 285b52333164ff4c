#include "standins/application/StandinMode.h"

#include <windows.h>

#include <cwchar>

StandinMode ReadStandinMode() {
    wchar_t mode[32] = {};
    DWORD length = ::GetEnvironmentVariableW(L"AV_STANDIN_MODE", mode, 32);
    if (length == 0 || length >= 32) return StandinMode::Normal;
    if (std::wcscmp(mode, L"ignore-close") == 0) return StandinMode::IgnoreClose;
    if (std::wcscmp(mode, L"hang") == 0) return StandinMode::Hang;
    return StandinMode::Normal;
}
