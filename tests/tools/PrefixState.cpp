// Prints, one per line, everything in a Wine prefix that an install or a
// test could leave behind: folders under Program Files and C:\, the
// temporary folder, uninstall entries, Run values, compatibility marks,
// keys under HKCU\Software, services, shortcuts and running programs.
// The suite compares the list after its tests with the one before them.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#ifndef PROCESS_QUERY_LIMITED_INFORMATION
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#endif

namespace {

void Print(const std::wstring& kind, const std::wstring& value) {
    std::wstring line = kind + L": " + value + L"\n";
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(bytes - 1), &written,
                nullptr);
}

// The logs that every run of setup.exe keeps in the temporary folder by
// design (the ten newest of them): not something a test left behind.
bool IsRunLog(const std::wstring& kind, const std::wstring& name) {
    auto starts = [&](const wchar_t* start) { return name.compare(0, ::lstrlenW(start), start) == 0; };
    return kind == L"temp" && (starts(L"Arrayvane Setup ") || starts(L"Arrayvane Uninstall ")) &&
           name.size() > 4 && name.compare(name.size() - 4, 4, L".log") == 0;
}

void PrintFolder(const std::wstring& kind, const std::wstring& folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L".." && !IsRunLog(kind, name)) Print(kind, folder + L"\\" + name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? path : L"";
}

void PrintSubKeys(const std::wstring& kind, HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 256;
        if (::RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Print(kind, path + L"\\" + name);
    }
    ::RegCloseKey(key);
}

void PrintValues(const std::wstring& kind, HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    wchar_t name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 1024;
        if (::RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Print(kind, path + L"\\" + name);
    }
    ::RegCloseKey(key);
}

bool UnderWindows(const std::wstring& path) {
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring prefix = windows;
    return path.size() > prefix.size() && ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(),
                                                           static_cast<int>(prefix.size()), prefix.c_str(),
                                                           static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

// Every service by name; those whose program is not Wine's own also by state.
void PrintServices() {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    if (!manager) return;
    DWORD needed = 0, count = 0, resume = 0;
    ::EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &count, &resume);
    std::vector<BYTE> buffer(needed + 1024);
    resume = 0;
    if (::EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                              reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()),
                              static_cast<DWORD>(buffer.size()), &needed, &count, &resume)) {
        auto* services = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            Print(L"service", services[i].lpServiceName);
            bool running = services[i].ServiceStatus.dwCurrentState != SERVICE_STOPPED;
            SC_HANDLE service = ::OpenServiceW(manager, services[i].lpServiceName, SERVICE_QUERY_CONFIG);
            if (!service) continue;
            std::vector<BYTE> config(8192);
            if (::QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data()),
                                      static_cast<DWORD>(config.size()), &needed)) {
                std::wstring binary = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data())->lpBinaryPathName;
                if (!binary.empty() && binary[0] == L'"') binary.erase(0, 1);
                if (running && !UnderWindows(binary)) Print(L"service running", services[i].lpServiceName);
            }
            ::CloseServiceHandle(service);
        }
    }
    ::CloseServiceHandle(manager);
}

// The program file of a process; empty when it cannot be read.
std::wstring ProcessPath(DWORD processId) {
    // A 32-bit program cannot read the modules of a 64-bit process; the
    // image name query (Vista and later) can.
    using QueryName = BOOL(WINAPI*)(HANDLE, DWORD, wchar_t*, DWORD*);
    auto query = reinterpret_cast<QueryName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW")));
    HANDLE process = ::OpenProcess(query ? PROCESS_QUERY_LIMITED_INFORMATION : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                   FALSE, processId);
    if (!process) return L"";
    wchar_t path[MAX_PATH] = {};
    DWORD chars = MAX_PATH;
    if (query) {
        if (!query(process, 0, path, &chars)) path[0] = L'\0';
    } else {
        ::GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
    }
    ::CloseHandle(process);
    return path;
}

// Programs that are not Wine's own and not this one. Wine's own come and
// go as the tests need them.
void PrintProcesses() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId()) continue;
        std::wstring path = ProcessPath(entry.th32ProcessID);
        if (!path.empty() && !UnderWindows(path)) Print(L"process", path);
    }
    ::CloseHandle(snapshot);
}

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const wchar_t kPersisted[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";

} // namespace

int wmain() {
    PrintFolder(L"file", L"C:");
    PrintFolder(L"file", L"C:\\Program Files");
    PrintFolder(L"file", L"C:\\Program Files (x86)");
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring tempFolder = temp;
    if (!tempFolder.empty() && tempFolder.back() == L'\\') tempFolder.pop_back();
    PrintFolder(L"temp", tempFolder);
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
        PrintFolder(L"shortcut", SpecialFolder(csidl));
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        std::wstring tag = view == KEY_WOW64_32KEY ? L"32 " : L"64 ";
        PrintSubKeys(tag + L"uninstall", HKEY_LOCAL_MACHINE, std::wstring(kCurrentVersion) + L"\\Uninstall", view);
        PrintValues(tag + L"run", HKEY_LOCAL_MACHINE, std::wstring(kCurrentVersion) + L"\\Run", view);
    }
    PrintValues(L"compat", HKEY_CURRENT_USER, kPersisted, 0);
    PrintSubKeys(L"user key", HKEY_CURRENT_USER, L"Software", 0);
    PrintServices();
    PrintProcesses();
    return 0;
}
