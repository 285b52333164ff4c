#include "standins/common/ModulePath.h"

#include <windows.h>

std::wstring OwnPath() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return path;
}

std::wstring OwnFolder() {
    std::wstring path = OwnPath();
    return path.substr(0, path.rfind(L'\\') + 1);
}
