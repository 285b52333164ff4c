#include "engine/Paths.h"

#include <cstdarg>
#include <cwchar>

#include "framework/Handle.h"

bool FormatPathN(wchar_t* out, size_t chars, const wchar_t* format, ...) {
    if (chars == 0) return false;
    va_list args;
    va_start(args, format);
    // _vsnwprintf returns -1, or exactly `chars` without a NUL, when the
    // text does not fit.
    int written = ::_vsnwprintf(out, chars, format, args);
    va_end(args);
    if (written < 0 || static_cast<size_t>(written) >= chars) {
        out[0] = L'\0';
        return false;
    }
    return true;
}

void GetDirectoryPart(const wchar_t* path, wchar_t* out) {
    out[0] = L'\0';
    if (!path) return;
    const wchar_t* lastSlash = std::wcsrchr(path, L'\\');
    if (!lastSlash) return;
    size_t length = static_cast<size_t>(lastSlash - path) + 1;
    if (length >= kPathChars) return;
    std::wmemcpy(out, path, length);
    out[length] = L'\0';
}

bool IsPlainName(const wchar_t* name) {
    if (!name || !name[0]) return false;
    if (std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0) return false;
    for (const wchar_t* c = name; *c; ++c) {
        if (*c < 32 || std::wcschr(L"\\/:*?\"<>|", *c)) return false;
    }
    return true;
}

bool CopyText(wchar_t* out, size_t chars, const wchar_t* src) {
    return FormatPathN(out, chars, L"%s", src);
}

bool PathExists(const wchar_t* path) {
    WIN32_FIND_DATAW data;
    fw::FindHandle find(::FindFirstFileW(path, &data));
    return find.IsValid();
}
