#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace test {

// The value of an environment variable that CTest sets for the test.
std::wstring Env(const wchar_t* name);
// For messages: each character below 128 as it is, any other as '?'.
std::string Narrow(const std::wstring& text);
// A shell folder (CSIDL_...), looked up for the current user.
std::wstring SpecialFolder(int csidl);
// "1" in AV_EXPECT_WOW64 / AV_EXPECT_NT6: what the prefix really is.
int ExpectedWow64();
int ExpectedNt6();

// A tag that no other test of this suite uses, in either prefix: the
// prefix's name, this process's id and a counter. Names made from it
// (folders, products, services, links) belong to one test alone.
std::wstring UniqueTag();

// Sets an environment variable for this process and the programs it
// starts, for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const std::wstring& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const wchar_t* name_;
};

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

// Writes the whole file; a fixture that cannot be written fails the test.
void WriteTextFile(const std::wstring& path, const std::string& text);
bool FileExists(const std::wstring& path);

// The system's restart queue (PendingFileRenameOperations), its strings
// joined by '|'; empty when there is none.
std::wstring PendingFileRenames();
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
    HANDLE Handle() const { return info_.hProcess; }
    int Wait(DWORD timeoutMs = 60000);
    // Like Wait, and tells whether the process showed a visible top-level
    // window at any time before it ended.
    int WaitNoticingWindows(bool& showedWindow, DWORD timeoutMs = 60000);

private:
    PROCESS_INFORMATION info_ = {};
};

// The medium that the build assembled, as a Windows path.
std::wstring MediumDir();
// The programs that only the tests use (the decoy), as a Windows path.
std::wstring TestBinDir();
// The medium signed with a throw-away certificate (tests/sign).
std::wstring SignedMediumDir();

// The first visible top-level window of that process with the given title.
HWND FindProcessWindow(DWORD processId, const std::wstring& title);

// Any visible top-level window of that process.
HWND AnyProcessWindow(DWORD processId);

// The processes of that file name (any case) that `parentId` started. A
// program started with CreateProcess is there from the moment the call
// returns, before it runs a line of its own.
std::vector<DWORD> ChildProcesses(DWORD parentId, const std::wstring& fileName);

// The programs running from files under `folder` (any case).
std::vector<DWORD> ProcessesUnder(const std::wstring& folder);
// Ends them and waits (bounded) until they are gone.
void EndProcessesUnder(const std::wstring& folder);

// SERVICE_RUNNING, SERVICE_STOPPED ..., or 0 when no such service exists.
DWORD ServiceState(const std::wstring& name);
// Stops the service (waiting, bounded, until it has stopped) and deletes it.
void DeleteService(const std::wstring& name);

} // namespace test
