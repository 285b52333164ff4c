#include "engine/config/Paths.h"

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

namespace {

wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

// The name's part before its first dot, less trailing spaces, equals `word`
// (ignoring case).
bool StemIs(const wchar_t* name, size_t stemLength, const wchar_t* word) {
    size_t length = std::wcslen(word);
    if (stemLength != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (UpperAscii(name[i]) != word[i]) return false;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9 (also with the superscript digits
// 1 to 3), CONIN$ and CONOUT$ name devices in every folder, whatever
// extension follows them: "nul.exe" opens the null device, not a file.
bool IsDeviceName(const wchar_t* name) {
    size_t stem = 0;
    while (name[stem] && name[stem] != L'.') ++stem;
    while (stem > 0 && name[stem - 1] == L' ') --stem;
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* word : kDevices) {
        if (StemIs(name, stem, word)) return true;
    }
    if (stem != 4) return false;
    const wchar_t last = name[3];
    const bool digit = (last >= L'0' && last <= L'9') || last == 0x00B9 || last == 0x00B2 || last == 0x00B3;
    return digit && (StemIs(name, 3, L"COM") || StemIs(name, 3, L"LPT"));
}

// "~" and a digit: the form of a short (8.3) name, which may be another
// folder's alias ("COMMON~1" for "Common Files").
bool LooksLikeShortName(const wchar_t* name) {
    for (const wchar_t* c = name; *c; ++c) {
        if (c[0] == L'~' && c[1] >= L'0' && c[1] <= L'9') return true;
    }
    return false;
}

} // namespace

bool EndsWithIgnoringCase(const wchar_t* text, const wchar_t* end) {
    const int length = ::lstrlenW(text), endLength = ::lstrlenW(end);
    return length >= endLength && ::lstrcmpiW(text + length - endLength, end) == 0;
}

bool NamesDevice(const wchar_t* path) {
    if (path[0] == L'\\' && path[1] == L'\\' && path[2] == L'.' && path[3] == L'\\') return true;
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c; ++c) {
        if (*c == L'\\' || *c == L'/' || *c == L':') name = c + 1;
    }
    return IsDeviceName(name);
}

bool IsPlainName(const wchar_t* name) {
    if (!name || !name[0]) return false;
    if (std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0) return false;
    for (const wchar_t* c = name; *c; ++c) {
        if (*c < 32 || std::wcschr(L"\\/:*?\"<>|", *c)) return false;
    }
    // Windows drops trailing dots and spaces from a name, so "App." would
    // be another folder than the one the name says.
    const wchar_t last = name[std::wcslen(name) - 1];
    if (last == L'.' || last == L' ') return false;
    return !IsDeviceName(name) && !LooksLikeShortName(name);
}

bool CopyText(wchar_t* out, size_t chars, const wchar_t* src) {
    return FormatPathN(out, chars, L"%s", src);
}

void MakeWritable(const wchar_t* path) {
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool PathExists(const wchar_t* path) {
    WIN32_FIND_DATAW data;
    fw::FindHandle find(::FindFirstFileW(path, &data));
    return find.IsValid();
}

const wchar_t* PathInside(const wchar_t* path, const wchar_t* folder) {
    const int length = ::lstrlenW(folder);
    if (length == 0 || ::lstrlenW(path) < length ||
        ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path, length, folder, length) != CSTR_EQUAL)
        return nullptr;
    if (path[length] == L'\0') return path + length;
    return path[length] == L'\\' ? path + length + 1 : nullptr;
}

namespace {

unsigned long long FolderBytes(const wchar_t* folder, bool (*skip)(const wchar_t*), int depth) {
    wchar_t pattern[kPathChars];
    if (depth > 8 || !FormatPath(pattern, L"%s\\*", folder)) return 0;
    WIN32_FIND_DATAW found;
    fw::FindHandle search(::FindFirstFileW(pattern, &found));
    if (!search.IsValid()) return 0;
    unsigned long long bytes = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            wchar_t sub[kPathChars];
            const bool dots = found.cFileName[0] == L'.' &&
                              (!found.cFileName[1] || (found.cFileName[1] == L'.' && !found.cFileName[2]));
            if (!dots && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                FormatPath(sub, L"%s\\%s", folder, found.cFileName))
                bytes += FolderBytes(sub, skip, depth + 1);
        } else if (!skip(found.cFileName)) {
            bytes += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (::FindNextFileW(search.Get(), &found));
    return bytes;
}

} // namespace

DWORD FolderKilobytes(const wchar_t* folder, bool (*skip)(const wchar_t* name)) {
    return static_cast<DWORD>((FolderBytes(folder, skip, 0) + 1023) / 1024);
}
