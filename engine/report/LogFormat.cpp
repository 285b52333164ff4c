#include "engine/report/LogFormat.h"

namespace {

const wchar_t kInstallLogStem[] = L"Arrayvane Setup ";
const wchar_t kUninstallLogStem[] = L"Arrayvane Uninstall ";
const wchar_t kLogExtension[] = L".log";

bool StartsWith(const wchar_t* text, const wchar_t* start) {
    const int length = ::lstrlenW(start);
    return ::lstrlenW(text) >= length &&
           ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, text, length, start, length) == CSTR_EQUAL;
}

} // namespace

bool ComposeLogName(wchar_t (&out)[kPathChars], const wchar_t* folder, bool uninstall, const SYSTEMTIME& time,
                    int attempt) {
    wchar_t number[16] = {};
    if (attempt > 1 && !FormatPath(number, L" #%d", attempt)) return false;
    return FormatPath(out, L"%s%s%04u-%02u-%02u %02u%02u%02u%s%s", folder,
                      uninstall ? kUninstallLogStem : kInstallLogStem, time.wYear, time.wMonth, time.wDay,
                      time.wHour, time.wMinute, time.wSecond, number, kLogExtension);
}

bool IsOurLogName(const wchar_t* name) {
    return (StartsWith(name, kInstallLogStem) || StartsWith(name, kUninstallLogStem)) &&
           EndsWithIgnoringCase(name, kLogExtension);
}

bool StartsLikeOurLog(const char* bytes, int count) {
    static const char kShape[] = "\xEF\xBB\xBF" "9999-99-99 99:99:99.999 ";
    const int length = static_cast<int>(sizeof kShape) - 1;
    if (count < length) return false;
    for (int i = 0; i < length; ++i) {
        const bool digit = bytes[i] >= '0' && bytes[i] <= '9';
        if (kShape[i] == '9' ? !digit : bytes[i] != kShape[i]) return false;
    }
    return true;
}

int FormatLogLine(char* out, int room, const SYSTEMTIME& time, const wchar_t* text) {
    wchar_t stamp[32];
    if (room < 64 || !FormatPath(stamp, L"%04u-%02u-%02u %02u:%02u:%02u.%03u ", time.wYear, time.wMonth,
                                 time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds))
        return 0;
    int used = ::WideCharToMultiByte(CP_UTF8, 0, stamp, -1, out, room, nullptr, nullptr) - 1;
    // Room for CR LF; a text too long for the rest is cut at a whole character.
    int length = ::lstrlenW(text);
    int wrote = 0;
    while (length > 0 &&
           (wrote = ::WideCharToMultiByte(CP_UTF8, 0, text, length, out + used, room - used - 2, nullptr,
                                          nullptr)) == 0)
        length = length > 64 ? length - length / 4 : length - 1;
    used += wrote;
    out[used++] = '\r';
    out[used++] = '\n';
    return used;
}
