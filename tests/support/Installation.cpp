#include "tests/support/Installation.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <vector>

#include "engine/system/RestartQueue.h"

namespace test {

namespace {


std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(::towlower(c));
    return text;
}

const wchar_t kPersisted[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\"
    L"Compatibility Assistant\\Persisted";

// Asks the product's window to close; ends its process if it will not.
void EndApplication(const std::wstring& title) {
    HWND window = ::FindWindowW(nullptr, title.c_str());
    if (!window) return;
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitFor([&] { return ::FindWindowW(nullptr, title.c_str()) == nullptr; }, 5000)) return;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    ::TerminateProcess(process, 99);
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
}

} // namespace

std::wstring CurrentVersionKey() { return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"; }

void DeleteCompatMarksContaining(const std::wstring& text) {
    HKEY key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPersisted, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    std::vector<std::wstring> doomed;
    wchar_t name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 1024;
        if (::RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (Lower(name).find(Lower(text)) != std::wstring::npos) doomed.push_back(name);
    }
    for (const auto& value : doomed) ::RegDeleteValueW(key, value.c_str());
    ::RegCloseKey(key);
}

Installation::Installation(const std::wstring& tagText)
    : Installation(tagText, L"AvE2E " + tagText, L"Arrayvane E2E " + tagText) {}

Installation::Installation(const std::wstring& tagText, const std::wstring& folderName,
                           const std::wstring& productName)
    : tag(tagText),
      folder(folderName),
      appName(productName),
      serviceName(L"AvE2ESvc " + tag),
      service_(L"AV_STANDIN_SERVICE", serviceName) {
    installDir = std::wstring(L"C:\\") + (ExpectedWow64() ? L"Program Files (x86)" : L"Program Files") +
                 L"\\" + folder;
    group = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + appName;
    desktopLink = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + appName + L".lnk";
    uninstallKey = CurrentVersionKey() + L"Uninstall\\" + folder;
}

Installation::~Installation() { RemoveAll(); }

void Installation::WriteSetupIni(const std::wstring& medium, int launchInSilentMode, int serviceToolTimeout,
                                 int stopTimeout) const {
    const std::string timeout =
        (serviceToolTimeout ? "ServiceToolTimeout=" + std::to_string(serviceToolTimeout) + "\r\n" : "") +
        (stopTimeout ? "StopTimeout=" + std::to_string(stopTimeout) + "\r\n" : "");
    WriteTextFile(medium + L"\\setup.ini",
                  "[Customized_Setting]\r\nAPPFolderName=" + Narrow(folder) +
                      "\r\nLaunchAPInSilentMode=" + std::to_string(launchInSilentMode) + "\r\n" + timeout +
                      "[Startup]\r\nAppName=" + Narrow(appName) + "\r\n");
}

std::vector<DWORD> Installation::ServiceToolRuns() const {
    std::vector<DWORD> runs;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return runs;
    std::vector<PROCESSENTRY32W> entries;
    DWORD manager = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (::lstrcmpiW(::PathFindFileNameW(entry.szExeFile), L"services.exe") == 0) manager = entry.th32ProcessID;
        if (::lstrcmpiW(::PathFindFileNameW(entry.szExeFile), L"ArrSvcSetup.exe") == 0) entries.push_back(entry);
    }
    ::CloseHandle(snapshot);
    const std::wstring tool = Lower(Installed(L"ArrSvcSetup.exe"));
    for (const PROCESSENTRY32W& candidate : entries) {
        // The service itself runs the same program, started by the manager.
        if (candidate.th32ParentProcessID == manager) continue;
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, candidate.th32ProcessID);
        if (!process) continue;
        wchar_t path[MAX_PATH * 2] = {};
        DWORD length = ::GetModuleFileNameExW(process, nullptr, path, MAX_PATH * 2);
        ::CloseHandle(process);
        if (length > 0 && Lower(path) == tool) runs.push_back(candidate.th32ProcessID);
    }
    return runs;
}

void Installation::RemoveService() const {
    // The install does not wait for "-i": a tool still registering the
    // service would register it after the clean-up, so it is let finish
    // first (bounded). So is a service still starting: the manager would
    // not stop it, and the clean-up would wait for it in vain.
    WaitFor([&] { return ServiceToolRuns().empty(); }, 15000);
    auto settled = [&] {
        DWORD state = ServiceState(serviceName);
        return state == 0 || state == SERVICE_RUNNING || state == SERVICE_STOPPED;
    };
    if (!settled()) WaitFor(settled, 15000);
    DeleteService(serviceName);
}

void Installation::RemoveAll() const {
    EndApplication(appName);
    RemoveService();
    // An application launched just before the test ended may not have its
    // window yet: whatever still runs from the folder goes now.
    EndProcessesUnder(installDir);
    // A program that has just been ended may hold its files a moment longer.
    WaitFor([&] {
        RemoveTree(installDir);
        return !FileExists(installDir);
    }, 10000);
    // What it left for a restart that never comes in a test prefix.
    CancelQueuedIn(installDir.c_str());
    RemoveTree(group);
    ::DeleteFileW(desktopLink.c_str());
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, uninstallKey.c_str());
    ::SHDeleteValueW(HKEY_LOCAL_MACHINE, (CurrentVersionKey() + L"Run").c_str(), appName.c_str());
    // The marks of its programs (the uninstaller marks itself too).
    DeleteCompatMarksContaining(installDir + L"\\");
    // The event source, where this installation registered it.
    const wchar_t source[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Arrayvane Setup";
    wchar_t file[1024] = {};
    DWORD size = sizeof file - sizeof(wchar_t);
    if (::SHGetValueW(HKEY_LOCAL_MACHINE, source, L"EventMessageFile", nullptr, file, &size) == ERROR_SUCCESS &&
        Lower(file).find(Lower(installDir + L"\\")) == 0) {
        ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, source);
    }
}

} // namespace test
