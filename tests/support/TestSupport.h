#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace test {

// The value of an environment variable that CTest sets for the test.
std::wstring Env(const wchar_t* name);
// "1" in AV_EXPECT_WOW64 / AV_EXPECT_NT6: what the prefix really is.
int ExpectedWow64();
int ExpectedNt6();

// A fresh folder under the temporary folder, removed with its contents at
// the end of the test. Path() ends without a backslash.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void WriteTextFile(const std::wstring& path, const std::string& text);
bool FileExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);
void CopyTree(const std::wstring& from, const std::wstring& to);

// Sends HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER into scratch keys under
// HKCU for the lifetime of the object, then deletes them.
class RegistryOverride {
public:
    RegistryOverride();
    ~RegistryOverride();

private:
    std::wstring root_;
    HKEY hklm_ = nullptr;
    HKEY hkcu_ = nullptr;
};

// Polls `done` until it is true or the deadline passes.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 20000);

// A started process. Wait returns its exit code, or -1 at the deadline.
class Process {
public:
    Process(const std::wstring& commandLine, const std::wstring& workDir = L"");
    ~Process();
    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    int Wait(DWORD timeoutMs = 60000);

private:
    PROCESS_INFORMATION info_ = {};
};

// The medium that the build assembled, as a Windows path.
std::wstring MediumDir();

// The first visible top-level window of that process with the given title.
HWND FindProcessWindow(DWORD processId, const std::wstring& title);

} // namespace test
