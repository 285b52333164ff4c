#include "engine/system/Compat.h"

#include "framework/RegKey.h"

namespace {
const wchar_t kPersistedKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\"
    L"Compatibility Assistant\\Persisted";
}

long MarkCompatibilityPersisted(const wchar_t* programPath) {
    fw::RegKey key;
    LONG result = key.Create(HKEY_CURRENT_USER, kPersistedKey, KEY_WRITE);
    if (result != ERROR_SUCCESS) return result;
    key.SetDword(programPath, 1);
    return key.Close();
}
