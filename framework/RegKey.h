#pragma once
#include <windows.h>

namespace fw {

// Owner of an open registry key. Create and Open return the registry's
// result code and leave the object empty when they fail.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    LONG Create(HKEY root, const wchar_t* path, REGSAM access);
    LONG Open(HKEY root, const wchar_t* path, REGSAM access);
    LONG Close();

    LONG SetDword(const wchar_t* name, DWORD value);

    bool IsValid() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace fw
