#include "framework/RegKey.h"

namespace fw {

LONG RegKey::Create(HKEY root, const wchar_t* path, REGSAM access) {
    Close();
    HKEY key = nullptr;
    LONG result = ::RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) key_ = key;
    return result;
}

LONG RegKey::Open(HKEY root, const wchar_t* path, REGSAM access) {
    Close();
    HKEY key = nullptr;
    LONG result = ::RegOpenKeyExW(root, path, 0, access, &key);
    if (result == ERROR_SUCCESS) key_ = key;
    return result;
}

LONG RegKey::Close() {
    if (!key_) return ERROR_SUCCESS;
    LONG result = ::RegCloseKey(key_);
    key_ = nullptr;
    return result;
}

LONG RegKey::SetDword(const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key_, name, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof value);
}

} // namespace fw
