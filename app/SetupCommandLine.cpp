#include "app/SetupCommandLine.h"

#include <cstring>

#include "engine/config/Paths.h"

namespace {
wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

bool StartsWithLogWord(const wchar_t* param) {
    return AsciiLower(param[0]) == L'l' && AsciiLower(param[1]) == L'o' && AsciiLower(param[2]) == L'g' &&
           param[3] == L'=';
}
}

bool EqualsIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
    }
    return *a == *b;
}

SetupCommandLine::SetupCommandLine() { std::memset(params_, 0, sizeof params_); }

void SetupCommandLine::ParseParam(const wchar_t* param, bool isSwitch, bool) {
    if (EqualsIgnoringAsciiCase(param, L"delpkg")) delpkg = 1;
    else if (EqualsIgnoringAsciiCase(param, L"SilentDel")) SilentDel = 1;
    else if (EqualsIgnoringAsciiCase(param, L"s")) s = 1;
    else if (StartsWithLogWord(param)) {
        logGiven = true;
        // Cut, a path this long is still too long for any file, and refused.
        ::lstrcpynW(logPath, param + 4, kLogPathChars);
    }
    Store(param, isSwitch);
    ++count;
}

void SetupCommandLine::Store(const wchar_t* param, bool isSwitch) {
    // The flags and the count above take every parameter; only the text of
    // one that fits its slot is kept.
    if (count >= kSlots) return;
    FormatPathN(params_[count], kSlotChars, isSwitch ? L"-%s" : L"%s", param);
}

const wchar_t* SetupCommandLine::Param(int index) const {
    if (index < 0 || index >= kSlots) return L"";
    return params_[index];
}
