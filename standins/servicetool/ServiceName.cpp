#include "standins/servicetool/ServiceName.h"

#include <windows.h>

std::wstring ServiceName() {
    wchar_t name[257];
    DWORD length = ::GetEnvironmentVariableW(L"AV_STANDIN_SERVICE", name, 257);
    if (length == 0 || length >= 257) return L"ArrayvaneRaidService";
    return name;
}
