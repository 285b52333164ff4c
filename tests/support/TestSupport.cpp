#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <memory>
#include <type_traits>

namespace test {

namespace {
std::wstring LowerText(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(::towlower(c));
    return text;
}
} // namespace

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? value : L"";
}

int ExpectedWow64() { return Env(L"AV_EXPECT_WOW64") == L"1" ? 1 : 0; }
int ExpectedNt6() { return Env(L"AV_EXPECT_NT6") == L"1" ? 1 : 0; }

std::wstring UniqueTag() {
    static int counter = 0;
    return Env(L"AV_PREFIX") + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

ScopedEnv::ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
    ::SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnv::~ScopedEnv() { ::SetEnvironmentVariableW(name_, nullptr); }

ScratchDir::ScratchDir() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    for (;;) {
        path_ = std::wstring(temp) + L"avtest" + UniqueTag();
        if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

void WriteTextFile(const std::wstring& path, const std::string& text) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << std::string(path.begin(), path.end())
                      << ", error " << ::GetLastError();
        return;
    }
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != text.size())
        ADD_FAILURE() << "cannot write " << std::string(path.begin(), path.end());
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    ::CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((from + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from + L"\\" + name, to + L"\\" + name);
        } else {
            ::CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

RegistryOverride::RegistryOverride() {
    root_ = L"Software\\ArrayvaneTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(::GetTickCount());
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\HKLM").c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &hklm_, nullptr);
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\HKCU").c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &hkcu_, nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, hklm_);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, hkcu_);
}

RegistryOverride::~RegistryOverride() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(hklm_);
    ::RegCloseKey(hkcu_);
    ::SHDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    // The common parent goes with the last override.
    ::SHDeleteEmptyKeyW(HKEY_CURRENT_USER, L"Software\\ArrayvaneTests");
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (done()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        // Let the other processes run before asking again.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
}

Process::Process(const std::wstring& commandLine, const std::wstring& workDir) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring buffer = commandLine;
    if (!::CreateProcessW(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &startup, &info_)) {
        info_ = {};
    }
}

Process::~Process() {
    if (info_.hProcess) {
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(info_.hProcess, 99);
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
}

int Process::Wait(DWORD timeoutMs) {
    if (!info_.hProcess) return -1;
    if (::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
}

int Process::WaitNoticingWindows(bool& showedWindow, DWORD timeoutMs) {
    showedWindow = false;
    if (!info_.hProcess) return -1;
    WaitFor([&] {
        if (AnyProcessWindow(info_.dwProcessId)) showedWindow = true;
        return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
    }, timeoutMs);
    return Wait(0);
}

namespace {
// CTest gives the build's Unix paths; Wine's Z: drive is the Unix root.
std::wstring WindowsPathOf(const wchar_t* variable) {
    std::wstring path = L"Z:" + Env(variable);
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}
} // namespace

std::wstring MediumDir() { return WindowsPathOf(L"AV_MEDIUM"); }
std::wstring TestBinDir() { return WindowsPathOf(L"AV_TEST_BIN"); }
std::wstring SignedMediumDir() { return WindowsPathOf(L"AV_SIGNED_MEDIUM"); }

namespace {
struct WindowQuery {
    DWORD processId;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != query->processId || !::IsWindowVisible(hwnd)) return TRUE;
    if (!query->title) {
        query->found = hwnd;
        return FALSE;
    }
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 512);
    if (*query->title != text) return TRUE;
    query->found = hwnd;
    return FALSE;
}
} // namespace

HWND FindProcessWindow(DWORD processId, const std::wstring& title) {
    WindowQuery query{processId, &title, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND AnyProcessWindow(DWORD processId) {
    WindowQuery query{processId, nullptr, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::vector<DWORD> ChildProcesses(DWORD parentId, const std::wstring& fileName) {
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentId && ::lstrcmpiW(::PathFindFileNameW(entry.szExeFile), fileName.c_str()) == 0)
            found.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return found;
}

std::vector<DWORD> ProcessesUnder(const std::wstring& folder) {
    std::vector<DWORD> found;
    const std::wstring prefix = LowerText(folder + L"\\");
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (!process) continue;
        wchar_t path[MAX_PATH * 2] = {};
        DWORD length = ::GetModuleFileNameExW(process, nullptr, path, MAX_PATH * 2);
        ::CloseHandle(process);
        if (length > 0 && LowerText(path).compare(0, prefix.size(), prefix) == 0) found.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return found;
}

void EndProcessesUnder(const std::wstring& folder) {
    for (DWORD pid : ProcessesUnder(folder)) {
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) continue;
        ::TerminateProcess(process, 99);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
}

namespace {
using ScOwner = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, BOOL(WINAPI*)(SC_HANDLE)>;

ScOwner OpenService(const std::wstring& name, DWORD access) {
    ScOwner manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT), &::CloseServiceHandle);
    if (!manager) return ScOwner(nullptr, &::CloseServiceHandle);
    return ScOwner(::OpenServiceW(manager.get(), name.c_str(), access), &::CloseServiceHandle);
}
} // namespace

DWORD ServiceState(const std::wstring& name) {
    ScOwner service = OpenService(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    return service && ::QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

void DeleteService(const std::wstring& name) {
    ScOwner service = OpenService(name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!service) return;
    SERVICE_STATUS status = {};
    ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    WaitFor([&] { return ServiceState(name) == SERVICE_STOPPED; });
    ::DeleteService(service.get());
    service.reset();
    // The SCM forgets it once the last handle is closed.
    WaitFor([&] { return ServiceState(name) == 0; });
}

std::wstring PendingFileRenames() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                        &key) != ERROR_SUCCESS)
        return {};
    DWORD bytes = 0;
    std::wstring value;
    if (::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &bytes) == ERROR_SUCCESS) {
        value.resize(bytes / sizeof(wchar_t));
        ::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&value[0]), &bytes);
        for (wchar_t& c : value) {
            if (c == L'\0') c = L'|';
        }
    }
    ::RegCloseKey(key);
    return value;
}

} // namespace test
