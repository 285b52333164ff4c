// bench-probe: the Windows side of script/bench. Times what only a program
// inside the prefix can see, and puts the prefix back between runs. Not on
// the medium. Each command prints one line of "name=value" pairs.
//
//   painted SETUP_EXE [ARGS...]  process start to the wizard visible, and to
//                                its background on the screen; then Cancel.
//                                With AV_DISPLAY_DPI=192 on a display of
//                                192 dpi, against the 200 % background
//   region SETUP_EXE RUNS        the wizard's region cut from SETUP_EXE's own
//                                background bitmap, RUNS times (ms each)
//   walk SETUP_EXE [ARGS...]     start, the action button, the finish button,
//                                the end of the process, by real clicks
//   run COMMAND_LINE             start to end of one process
//   reset INSTALL_DIR APP_NAME FOLDER_NAME SERVICE [--await-service]
//                                removes every trace of an install (ours or
//                                the NSIS one), reporting what it found
//   await-service SERVICE        until the service runs (with a deadline)
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "controls/PngImage.h"
#include "framework/Gdi.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"
#include "tests/tools/WalkWindows.h"
#include "tests/tools/WindowShot.h"
#include "wizard/WindowShape.h"

namespace {

constexpr int kActionButton = 1000;
constexpr int kBackgroundBitmap = 130;
constexpr DWORD kPollMs = 5;
constexpr DWORD kWizardAppearsMs = 60000;
constexpr DWORD kButtonAnswersMs = 5000;
constexpr DWORD kWorkEndsMs = 300000;
constexpr DWORD kProgramEndsMs = 60000;
constexpr DWORD kServiceMs = 30000;
// Share of the sampled background points that must be on the screen: the
// rest lie under controls, which draw their own pictures and texts.
constexpr double kPaintedShare = 0.6;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Print(const std::string& line) {
    std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
                nullptr);
}

std::string Ms(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms);
    return text;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// Timings want a finer poll than the walk's.
bool PollFor(const std::function<bool()>& done, DWORD timeoutMs) {
    return walk::PollFor(done, timeoutMs, kPollMs);
}

using walk::Ended;

std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    return L"\"" + argument + L"\"";
}

struct Started {
    fw::Handle process;
    DWORD pid = 0;
    double at = 0;
};

bool Start(std::wstring commandLine, Started& out) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    out.at = Now();
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        Print("error=cannot-start code=" + std::to_string(::GetLastError()) + " command=" + Narrow(commandLine));
        return false;
    }
    fw::Handle thread(info.hThread);
    out.process = fw::Handle(info.hProcess);
    out.pid = info.dwProcessId;
    return true;
}

std::wstring CommandLineOf(int argc, wchar_t** argv, int from) {
    std::wstring line;
    for (int i = from; i < argc; ++i) line += (line.empty() ? L"" : L" ") + Quoted(argv[i]);
    return line;
}

// Ends a program the probe started and waits for it, so that its mutex is
// gone before the next run.
void EndProgram(const Started& started) {
    if (!PollFor([&] { return Ended(started.process.Get()); }, kProgramEndsMs)) {
        ::TerminateProcess(started.process.Get(), 1);
        ::WaitForSingleObject(started.process.Get(), kProgramEndsMs);
    }
}

// The background bitmap of setup.exe, read from its resources: what the
// wizard paints, and what it cuts its region from.
HBITMAP LoadBackground(const std::wstring& setupExe) {
    HMODULE module = ::LoadLibraryExW(setupExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return nullptr;
    auto bitmap = static_cast<HBITMAP>(
        ::LoadImageW(module, MAKEINTRESOURCEW(kBackgroundBitmap), IMAGE_BITMAP, 0, 0, 0));
    ::FreeLibrary(module);
    return bitmap;
}

std::vector<uint32_t> PixelsOf(HBITMAP bitmap, int& width, int& height) {
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof info, &info);
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    fw::ScreenDC screen;
    if (::GetDIBits(screen.Get(), bitmap, 0, height, pixels.data(), &header, DIB_RGB_COLORS) != height)
        return {};
    for (auto& pixel : pixels) pixel &= 0x00FFFFFFu;
    return pixels;
}

// Share of a grid of points of the window at which the screen shows the
// background bitmap's pixel.
double PaintedShare(HWND window, const std::vector<uint32_t>& background, int width, int height) {
    RECT area = {};
    ::GetWindowRect(window, &area);
    if (area.right - area.left != width || area.bottom - area.top != height) return 0;
    const walk::Shot shot = walk::CaptureScreen(area);
    if (shot.width != width || shot.height != height) return 0;
    int points = 0, matching = 0;
    for (int y = height / 20; y < height; y += height / 10) {
        for (int x = width / 20; x < width; x += width / 10) {
            const size_t at = static_cast<size_t>(y) * width + x;
            ++points;
            if (shot.pixels[at] == background[at]) ++matching;
        }
    }
    return points ? static_cast<double>(matching) / points : 0;
}

// The 200 % background of setup.exe, which it shows as it is at 192 dpi.
std::vector<uint32_t> Background200(const std::wstring& setupExe, int& width, int& height) {
    HMODULE module = ::LoadLibraryExW(setupExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? ::FindResourceW(module, MAKEINTRESOURCEW(kBackgroundBitmap), L"PNG200") : nullptr;
    PngImage picture;
    if (found && DecodePng(static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found))),
                           ::SizeofResource(module, found), picture)) {
        width = picture.width;
        height = picture.height;
    }
    if (module) ::FreeLibrary(module);
    return picture.pixels;
}

// The display's dpi for the programs started while it lives (LogPixels, as
// the Display control panel sets it); 96 again afterwards.
class DisplayDpi {
public:
    explicit DisplayDpi(DWORD dpi) {
        key_.Create(HKEY_CURRENT_USER, L"Control Panel\\Desktop", KEY_SET_VALUE);
        key_.SetDword(L"LogPixels", dpi);
    }
    ~DisplayDpi() { key_.SetDword(L"LogPixels", 96); }

private:
    fw::RegKey key_;
};

int Painted(int argc, wchar_t** argv) {
    const std::wstring setupExe = argv[2];
    const int dpi = _wtoi(_wgetenv(L"AV_DISPLAY_DPI") ? _wgetenv(L"AV_DISPLAY_DPI") : L"96");
    if (dpi != 96 && dpi != 192) {
        Print("error=dpi-neither-96-nor-192");
        return 1;
    }
    DisplayDpi display(dpi);
    fw::ScopedBitmap bitmap(dpi == 96 ? LoadBackground(setupExe) : nullptr);
    int width = 0, height = 0;
    const std::vector<uint32_t> background = dpi == 192 ? Background200(setupExe, width, height)
                                             : bitmap    ? PixelsOf(bitmap.Get(), width, height)
                                                         : std::vector<uint32_t>();
    if (background.empty()) {
        Print("error=no-background-bitmap");
        return 1;
    }
    Started setup;
    if (!Start(CommandLineOf(argc, argv, 2), setup)) return 1;
    HWND wizard = nullptr;
    double visible = 0, painted = 0, share = 0;
    bool ok = PollFor([&] {
        if (Ended(setup.process.Get())) return true;
        if (!wizard && (wizard = walk::FindDialogOf(setup.pid, &walk::IsWizard)) != nullptr) visible = Now();
        if (!wizard) return false;
        share = PaintedShare(wizard, background, width, height);
        if (share < kPaintedShare) return false;
        painted = Now();
        return true;
    }, kWizardAppearsMs) && painted > 0;
    if (ok) {
        Print("visible_ms=" + Ms(visible - setup.at) + " painted_ms=" + Ms(painted - setup.at) +
              " share=" + Ms(100 * share));
        ::PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(wizard, IDCANCEL)));
    } else {
        Print("error=no-painted-wizard share=" + Ms(100 * share));
    }
    EndProgram(setup);
    return ok ? 0 : 1;
}

int Region(wchar_t** argv) {
    fw::ScopedBitmap bitmap(LoadBackground(argv[2]));
    const int runs = _wtoi(argv[3]);
    BITMAP info = {};
    if (!bitmap || !::GetObjectW(bitmap.Get(), sizeof info, &info) || runs <= 0) {
        Print("error=no-background-bitmap");
        return 1;
    }
    std::string times;
    for (int i = 0; i < runs; ++i) {
        fw::ScreenDC screen;
        const double start = Now();
        fw::ScopedRegion region(RegionFromBitmap(screen.Get(), bitmap.Get(), info.bmWidth, info.bmHeight,
                                                 kShapeKeyColor));
        const double took = Now() - start;
        RECT box = {};
        // A region that does not span the bitmap was not cut from it.
        if (!region || ::GetRgnBox(region.Get(), &box) != COMPLEXREGION || box.right != info.bmWidth ||
            box.bottom != info.bmHeight) {
            Print("error=wrong-region");
            return 1;
        }
        times += (times.empty() ? "" : ",") + Ms(took);
    }
    Print("region_ms=" + times + " width=" + std::to_string(info.bmWidth) +
          " height=" + std::to_string(info.bmHeight));
    return 0;
}

// A real click at the control's middle; BM_CLICK when the click had no
// effect, as the wizard walk does.
bool Press(HWND wizard, int id, const std::function<bool()>& pressed) {
    HWND control = ::GetDlgItem(wizard, id);
    walk::ClickCentre(control);
    bool done = PollFor(pressed, kButtonAnswersMs);
    walk::MoveMouseAway();
    if (done) return true;
    ::PostMessageW(control, BM_CLICK, 0, 0);
    return PollFor(pressed, kButtonAnswersMs);
}

int Walk(int argc, wchar_t** argv) {
    Started setup;
    if (!Start(CommandLineOf(argc, argv, 2), setup)) return 1;
    HANDLE process = setup.process.Get();
    HWND wizard = nullptr;
    auto fail = [&](const char* why) {
        Print(std::string("error=") + why);
        ::TerminateProcess(process, 1);
        return 1;
    };
    if (!PollFor([&] { return (wizard = walk::FindDialogOf(setup.pid, &walk::IsWizard)) != nullptr ||
                              Ended(process); }, kWizardAppearsMs) || !wizard)
        return fail("no-wizard");
    // Ready once the action button takes clicks.
    if (!PollFor([&] { return walk::IsEnabled(wizard, kActionButton) && walk::IsShown(wizard, kActionButton); },
                 kButtonAnswersMs))
        return fail("no-action-button");
    const double ready = Now();
    if (!Press(wizard, kActionButton, [&] {
            return !walk::IsEnabled(wizard, kActionButton) || walk::IsShown(wizard, IDOK);
        }))
        return fail("action-button-unanswered");
    bool failBox = false;
    if (!PollFor([&] {
            if (walk::FindDialogOf(setup.pid, &walk::IsFailBox)) failBox = true;
            return failBox || walk::IsShown(wizard, IDOK) || Ended(process);
        }, kWorkEndsMs) || failBox || Ended(process))
        return fail(failBox ? "fail-box" : "no-finish-button");
    const double finished = Now();
    const std::wstring upper = walk::ControlText(wizard, 1001);
    if (!Press(wizard, IDOK, [&] { return Ended(process) || !::IsWindowVisible(wizard); }))
        return fail("finish-button-unanswered");
    const double closed = Now();
    if (!PollFor([&] { return Ended(process); }, kProgramEndsMs)) return fail("no-end");
    const double end = Now();
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    Print("wizard_ms=" + Ms(ready - setup.at) + " work_ms=" + Ms(finished - ready) +
          " closed_ms=" + Ms(closed - finished) + " exit_ms=" + Ms(end - closed) +
          " total_ms=" + Ms(end - setup.at) + " exit=" + std::to_string(code));
    return 0;
}

int Run(int argc, wchar_t** argv) {
    Started program;
    // The command line is passed as it is, so that arguments such as
    // NSIS's "_?=DIR" keep their form.
    std::wstring line;
    for (int i = 2; i < argc; ++i) line += (i > 2 ? L" " : L"") + std::wstring(argv[i]);
    if (!Start(line, program)) return 1;
    if (::WaitForSingleObject(program.process.Get(), kWorkEndsMs) != WAIT_OBJECT_0) {
        Print("error=no-end");
        ::TerminateProcess(program.process.Get(), 1);
        return 1;
    }
    const double end = Now();
    DWORD code = 0;
    ::GetExitCodeProcess(program.process.Get(), &code);
    Print("run_ms=" + Ms(end - program.at) + " exit=" + std::to_string(code));
    return 0;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
            else ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
}

SC_HANDLE OpenOurService(const std::wstring& name, DWORD access) {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return nullptr;
    SC_HANDLE service = ::OpenServiceW(manager, name.c_str(), access);
    ::CloseServiceHandle(manager);
    return service;
}

DWORD ServiceState(const std::wstring& name) {
    SC_HANDLE service = OpenOurService(name, SERVICE_QUERY_STATUS);
    if (!service) return 0;
    SERVICE_STATUS status = {};
    DWORD state = ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
    ::CloseServiceHandle(service);
    return state;
}

// Stops and deletes the service, waiting for its process: it holds the
// service tool's file, which the next install replaces.
bool RemoveService(const std::wstring& name) {
    SC_HANDLE service = OpenOurService(name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!service) return false;
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    HANDLE process = nullptr;
    if (::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                               &needed) && status.dwProcessId)
        process = ::OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
    SERVICE_STATUS stop = {};
    ::ControlService(service, SERVICE_CONTROL_STOP, &stop);
    PollFor([&] { return ServiceState(name) == SERVICE_STOPPED; }, kServiceMs);
    if (process) {
        ::WaitForSingleObject(process, kServiceMs);
        ::CloseHandle(process);
    }
    ::DeleteService(service);
    ::CloseServiceHandle(service);
    return true;
}

DWORD ServiceProcess(const std::wstring& name) {
    SC_HANDLE service = OpenOurService(name, SERVICE_QUERY_STATUS);
    if (!service) return 0;
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    DWORD pid = ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                       sizeof status, &needed) ? status.dwProcessId : 0;
    ::CloseServiceHandle(service);
    return pid;
}

// Whether a copy of the service tool other than the running service is at
// work: an installer's "-i", which nobody waits for.
bool ToolAtWork(const std::wstring& serviceName) {
    const DWORD servicePid = ServiceProcess(serviceName);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found; more = ::Process32NextW(snapshot, &entry))
        found = ::lstrcmpiW(entry.szExeFile, L"ArrSvcSetup.exe") == 0 && entry.th32ProcessID != servicePid;
    ::CloseHandle(snapshot);
    return found;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

int Reset(int argc, wchar_t** argv) {
    const std::wstring installDir = argv[2], appName = argv[3], folderName = argv[4], serviceName = argv[5];
    const bool awaitService = argc > 6 && std::wstring(argv[6]) == L"--await-service";
    // The service tool's "-i" may still be at work when the installer has
    // ended: let it finish, or the service it registers would outlive this.
    bool serviceSeen = true;
    if (awaitService)
        serviceSeen = PollFor([&] { return ServiceState(serviceName) == SERVICE_RUNNING; }, kServiceMs);
    const bool toolDone = PollFor([&] { return !ToolAtWork(serviceName); }, kServiceMs);
    // An uninstall's script removes its folder after the uninstaller ends;
    // it must be done before anything here is removed or made again.
    const std::wstring script = installDir + L"\\KxUninst.bat";
    const bool scriptDone = PollFor([&] { return !Exists(script); }, kServiceMs);

    const std::wstring desktopLink = Folder(CSIDL_DESKTOPDIRECTORY) + L"\\" + appName + L".lnk";
    const std::wstring group = Folder(CSIDL_COMMON_PROGRAMS) + L"\\" + appName;
    const std::wstring entry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + folderName;
    int links = Exists(desktopLink) + Exists(group + L"\\" + appName + L".lnk") +
                Exists(group + L"\\Uninstall.lnk");
    const bool files = Exists(installDir + L"\\KXRaidSetup.exe") && Exists(installDir + L"\\mingwm10.dll") &&
                       Exists(installDir + L"\\Images");
    const bool uninstaller = Exists(installDir + L"\\Uninstall\\setup.exe") ||
                             Exists(installDir + L"\\Uninstall\\uninst.exe");
    const bool key = KeyExists(entry);
    const bool service = RemoveService(serviceName);

    RemoveTree(installDir);
    ::DeleteFileW(desktopLink.c_str());
    RemoveTree(group);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, entry.c_str());
    HKEY persisted = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER,
                        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted",
                        0, KEY_SET_VALUE, &persisted) == ERROR_SUCCESS) {
        ::RegDeleteValueW(persisted, (installDir + L"\\KXRaidSetup.exe").c_str());
        ::RegCloseKey(persisted);
    }
    const bool clean = !Exists(installDir) && !Exists(desktopLink) && !Exists(group) && !KeyExists(entry) &&
                       ServiceState(serviceName) == 0;
    Print(std::string("found files=") + (files ? "1" : "0") + " uninstaller=" + (uninstaller ? "1" : "0") +
          " links=" + std::to_string(links) + " entry=" + (key ? "1" : "0") + " service=" +
          (service ? "1" : "0") + " service_awaited=" + (serviceSeen ? "1" : "0") + " tool_done=" +
          (toolDone ? "1" : "0") + " script_done=" + (scriptDone ? "1" : "0") + " clean=" + (clean ? "1" : "0"));
    return clean ? 0 : 1;
}

// The service tool's "-i" is not waited for by the installers; what comes
// next must find the service it registers.
int AwaitService(const std::wstring& name) {
    const double start = Now();
    const bool running = PollFor([&] { return ServiceState(name) == SERVICE_RUNNING; }, kServiceMs);
    Print(std::string(running ? "" : "error=no-service ") + "waited_ms=" + Ms(Now() - start));
    return running ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"painted" && argc >= 3) return Painted(argc, argv);
    if (command == L"region" && argc == 4) return Region(argv);
    if (command == L"walk" && argc >= 3) return Walk(argc, argv);
    if (command == L"run" && argc >= 3) return Run(argc, argv);
    if (command == L"reset" && argc >= 6) return Reset(argc, argv);
    if (command == L"await-service" && argc == 3) return AwaitService(argv[2]);
    Print("usage: bench-probe painted|region|walk|run|reset ...");
    return 2;
}
