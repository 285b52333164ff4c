#include "engine/config/Version.h"

bool ParseVersion(const wchar_t* text, DWORD (&parts)[4]) {
    for (DWORD& part : parts) part = 0;
    if (!text || !*text) return false;
    for (int part = 0;; ++part) {
        if (part == 4) return false;
        int digits = 0;
        for (; *text >= L'0' && *text <= L'9'; ++text, ++digits) {
            // Nine digits: beyond them a part would no longer fit.
            if (digits == 9) return false;
            parts[part] = parts[part] * 10 + static_cast<DWORD>(*text - L'0');
        }
        if (digits == 0) return false;
        if (!*text) return true;
        if (*text++ != L'.') return false;
    }
}

bool IsOlderThanInstalled(const wchar_t* mediumVersion, const wchar_t* installedVersion) {
    DWORD medium[4], installed[4];
    if (!ParseVersion(mediumVersion, medium) || !ParseVersion(installedVersion, installed)) return false;
    for (int part = 0; part < 4; ++part) {
        if (medium[part] != installed[part]) return medium[part] < installed[part];
    }
    return false;
}
