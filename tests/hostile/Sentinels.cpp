#include "tests/hostile/Sentinels.h"

#include <windows.h>
#include <shlobj.h>

namespace hostile {

namespace {

// The folder's entries; with `deep`, every file below it too, with its size
// and last write time, so a changed file shows as well as a new one.
void ListFolder(const std::wstring& folder, bool deep, std::set<std::wstring>& lines) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + L"\\" + name;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::wstring line = L"file " + path;
        if (deep && !isFolder) {
            line += L" " + std::to_wstring(data.nFileSizeLow) + L" " +
                    std::to_wstring(data.ftLastWriteTime.dwLowDateTime) + L" " +
                    std::to_wstring(data.dwFileAttributes);
        }
        lines.insert(line);
        if (deep && isFolder) ListFolder(path, true, lines);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

void ListKey(const std::wstring& path, bool values, std::set<std::wstring>& lines) {
    HKEY key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 1024;
        LONG result = values ? ::RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr)
                             : ::RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) break;
        lines.insert(L"key " + path + L"\\" + name);
    }
    ::RegCloseKey(key);
}

} // namespace

Sentinels::Sentinels(const test::Installation& product, std::wstring medium, std::wstring sibling)
    : product_(product),
      medium_(std::move(medium)),
      sibling_(std::move(sibling)),
      programFiles_(product.installDir.substr(0, product.installDir.rfind(L'\\'))),
      desktop_(test::SpecialFolder(CSIDL_DESKTOPDIRECTORY)),
      programs_(test::SpecialFolder(CSIDL_COMMON_PROGRAMS)) {}

std::set<std::wstring> Sentinels::Take() const {
    std::set<std::wstring> lines;
    ListFolder(L"C:", false, lines);
    ListFolder(programFiles_, false, lines);
    ListFolder(sibling_, true, lines);
    ListFolder(medium_, true, lines);
    ListFolder(desktop_, false, lines);
    ListFolder(programs_, false, lines);
    ListKey(test::CurrentVersionKey() + L"Uninstall", false, lines);
    ListKey(test::CurrentVersionKey() + L"Run", true, lines);
    return lines;
}

bool Sentinels::MayAdd(const std::wstring& line) const {
    const std::wstring allowed[] = {
        L"file " + product_.installDir,
        L"file " + product_.desktopLink,
        L"file " + product_.group,
        L"key " + product_.uninstallKey,
        L"key " + test::CurrentVersionKey() + L"Run\\" + product_.appName,
    };
    for (const std::wstring& own : allowed) {
        if (line == own) return true;
    }
    return false;
}

} // namespace hostile
