#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/Install.h"
#include "engine/report/Messages.h"
#include "engine/config/Platform.h"
#include "engine/system/Registry.h"
#include "tests/support/EventChannel.h"
#include "tests/support/Installation.h"
#include "tests/support/RunLogs.h"
#include "tests/support/TestSupport.h"

// An install either ends complete or leaves the machine as it was: each
// test installs version 1 of a product of its own, then version 2 from a
// second medium (every file marked, Version 2.00.00) that fails at one step.
namespace {

constexpr DWORD kRestored = 0x80000004;  // the earlier installation was put back
constexpr DWORD kUndone = 0x80000005;    // a first install left nothing
constexpr DWORD kRestartPending = 0x80000006;  // files wait for the restart
constexpr DWORD kNewerInstalled = 0xC0000007;  // an older medium refused

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void AppendBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::app);
    out << bytes;
    ASSERT_TRUE(out.good()) << test::Narrow(path);
}

// Size and a hash of a file's bytes: enough to tell two versions apart
// without printing megabytes when they differ.
std::string Digest(const std::string& bytes) {
    unsigned long long hash = 1469598103934665603ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    return std::to_string(bytes.size()) + ":" + std::to_string(hash);
}

// Every file under `folder` (its sub-folders' too), by path, with its digest.
void AddFiles(const std::wstring& folder, std::map<std::wstring, std::string>& out) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[path + L"\\"] = "folder";
            AddFiles(path, out);
        } else {
            out[path] = Digest(ReadBytes(path));
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

void AddValues(const std::wstring& key, const wchar_t* only, std::map<std::wstring, std::string>& out) {
    HKEY handle;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        BYTE data[2048];
        DWORD chars = 256, type = 0, bytes = sizeof data;
        if (::RegEnumValueW(handle, index, name, &chars, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
        if (only && ::lstrcmpiW(only, name) != 0) continue;
        out[key + L"|" + name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), bytes);
    }
    ::RegCloseKey(handle);
}

int RunSilent(const std::wstring& medium, const wchar_t* exe = L"setup.exe") {
    test::Process setup(L"\"" + medium + L"\\" + exe + L"\" s");
    return setup.Wait(120000);
}

std::wstring DisplayVersion(const test::Installation& product) {
    wchar_t data[64] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    ::SHGetValueW(HKEY_LOCAL_MACHINE, product.uninstallKey.c_str(), L"DisplayVersion", nullptr, data, &size);
    return data;
}

bool AnyProcessNamed(const wchar_t* name) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found; more = ::Process32NextW(snapshot, &entry))
        found = ::lstrcmpiW(entry.szExeFile, name) == 0;
    ::CloseHandle(snapshot);
    return found;
}

std::string Listing(const std::map<std::wstring, std::string>& files) {
    std::string text;
    for (const auto& file : files) text += test::Narrow(file.first) + "\n";
    return text;
}

// What the tests compare before and after a failed run: the installation's
// files, its links, its registry entries and its service.
using MachineState = std::map<std::wstring, std::string>;

const wchar_t kEventSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Arrayvane Setup";

MachineState StateOf(const test::Installation& product) {
    MachineState state;
    AddFiles(product.installDir, state);
    AddFiles(product.group, state);
    if (test::FileExists(product.desktopLink)) state[product.desktopLink] = Digest(ReadBytes(product.desktopLink));
    AddValues(product.uninstallKey, nullptr, state);
    AddValues(test::CurrentVersionKey() + L"Run", product.appName.c_str(), state);
    AddValues(kEventSourceKey, nullptr, state);
    state[L"service"] = std::to_string(test::ServiceState(product.serviceName));
    return state;
}

// How version 2's run is made to fail.
enum class Fault {
    UninstallerCopy,    // the medium's setup.exe cannot be read (a folder of that name)
    MingwCopy,          // Application\mingwm10.dll likewise
    ApplicationCopy,    // the application
    ImageCopy,          // one image
    ImageBesideTheTool, // one image, while the service tool's "-i" takes its time (NT 6)
    ServiceToolCopy,    // the service tool (NT 6)
    RegistryValue,      // DisplayVersion cannot be written (in this process)
    ServiceToolFails,   // "-i" ends with exit code 1 (NT 6)
    ServiceToolHangs,   // "-i" never ends (NT 6)
};

struct FaultCase {
    Fault fault;
    const char* name;
    bool nt6Only;
};

const FaultCase kFaults[] = {
    {Fault::UninstallerCopy, "the uninstaller's copy", false},
    {Fault::MingwCopy, "mingwm10.dll", false},
    {Fault::ApplicationCopy, "the application", false},
    {Fault::ImageCopy, "an image", false},
    {Fault::ImageBesideTheTool, "an image while -i works", true},
    {Fault::ServiceToolCopy, "the service tool's copy", true},
    {Fault::RegistryValue, "a registry value", false},
    {Fault::ServiceToolFails, "the service tool's -i failing", true},
    {Fault::ServiceToolHangs, "the service tool's -i never ending", true},
};

LONG WINAPI RefuseDisplayVersion(HKEY key, const wchar_t* name, DWORD reserved, DWORD type, const BYTE* data,
                                 DWORD bytes) {
    if (name && ::lstrcmpW(name, L"DisplayVersion") == 0) return ERROR_ACCESS_DENIED;
    return ::RegSetValueExW(key, name, reserved, type, data, bytes);
}

void IgnoreMessage(const wchar_t*, const wchar_t*, UINT) {}

class UpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        v1_ = dir_ / L"v1";
        v2_ = dir_ / L"v2";
        test::CopyTree(test::MediumDir(), v1_);
        product_.WriteSetupIni(v1_, 0);
        MakeVersion2(v2_);
    }
    void TearDown() override {
        product_.RemoveAll();
        test::DeleteCompatMarksContaining(dir_.Path());
    }

    // Version 1's medium with every file marked and Version 2.00.00; the
    // service tool's bound in seconds where it is not 0.
    void MakeVersion2(const std::wstring& medium, int toolTimeout = 0) {
        test::CopyTree(v1_, medium);
        std::map<std::wstring, std::string> files;
        AddFiles(medium, files);
        for (const auto& file : files) {
            if (file.second != "folder") AppendBytes(file.first, "\r\n;AV-VERSION-2\r\n");
        }
        product_.WriteSetupIni(medium, 0, toolTimeout);
        AppendBytes(medium + L"\\setup.ini", "Version=2.00.00\r\n");
    }

    // Makes `medium`'s run fail at the step and runs it; its exit code.
    int RunFailing(const std::wstring& medium, Fault fault) {
        const std::wstring app = medium + L"\\Application\\";
        auto unreadable = [](const std::wstring& path) {
            ::DeleteFileW(path.c_str());
            ::CreateDirectoryW(path.c_str(), nullptr);
        };
        switch (fault) {
        case Fault::UninstallerCopy:
            // The installer runs under another name; the one it copies is unreadable.
            ::CopyFileW((medium + L"\\setup.exe").c_str(), (medium + L"\\install.exe").c_str(), FALSE);
            unreadable(medium + L"\\setup.exe");
            return RunSilent(medium, L"install.exe");
        case Fault::MingwCopy: unreadable(app + L"mingwm10.dll"); break;
        case Fault::ApplicationCopy: unreadable(app + L"KXRaidSetup.exe"); break;
        case Fault::ImageCopy: unreadable(app + L"Images\\Logo.bmp"); break;
        case Fault::ServiceToolCopy: unreadable(app + L"ArrSvcSetup.exe"); break;
        case Fault::ServiceToolFails: AppendBytes(app + L"ArrSvcSetup.exe", "AV-FAULT:install-fails"); break;
        case Fault::ServiceToolHangs: AppendBytes(app + L"ArrSvcSetup.exe", "AV-FAULT:install-hangs"); break;
        case Fault::RegistryValue: return InstallHere(medium);
        case Fault::ImageBesideTheTool: return RunFailingBesideTheTool(medium);
        }
        return RunSilent(medium);
    }

    // The rollback takes the service down only once "-i" has ended: the
    // tool's own log shows its end before the rollback's "-k".
    int RunFailingBesideTheTool(const std::wstring& medium) {
        ::DeleteFileW((medium + L"\\Application\\Images\\Logo.bmp").c_str());
        ::CreateDirectoryW((medium + L"\\Application\\Images\\Logo.bmp").c_str(), nullptr);
        const test::ScopedEnv slow(L"AV_STANDIN_DELAY_MS", L"2000"), word(L"AV_STANDIN_DELAY_WORD", L"-i"),
            ends(L"AV_STANDIN_LOG_ENDS", L"1");
        const size_t from = ReadBytes(dir_ / L"standin.log").size();
        const int exitCode = RunSilent(medium);
        const std::string log = ReadBytes(dir_ / L"standin.log").substr(from);
        const size_t registering = log.find("\" -i\r\n"), takingDown = log.find("\" -k\r\n", registering);
        const std::string between = takingDown == std::string::npos ? "" : log.substr(registering, takingDown - registering);
        EXPECT_NE(std::string::npos, between.find("ended: ")) << log;
        return exitCode;
    }

    // The install in this process, with the registry writer that refuses
    // DisplayVersion (a real key cannot refuse one value and take others).
    static int InstallHere(const std::wstring& medium) {
        IsWow64 = DetectWow64();
        IsNt6 = IsNt6Platform();
        SetMessageSink(&IgnoreMessage);
        SetRegistryValueWriter(&RefuseDisplayVersion);
        SetupConfig config;
        const std::wstring source = medium + L"\\";
        ReadSetupConfig(source.c_str(), config);
        const int exitCode = ExitCodeOf(InstallApplication(source.c_str(), config));
        SetRegistryValueWriter(nullptr);
        SetMessageSink(nullptr);
        return exitCode;
    }

    // One event of the kind; the in-process run reports it too.
    static int Count(const std::vector<test::ReportedEvent>& events, DWORD id) {
        int count = 0;
        for (const auto& event : events) count += event.id == id;
        return count;
    }

    // Version 2's run, failing at each step in turn, exits 1, leaves the
    // machine in `before` and reports `event` once. The never-ending tool
    // is ended after `hangTimeout` seconds (0: the default bound).
    void ExpectEachFaultLeaves(const MachineState& before, DWORD event, int hangTimeout) {
        for (const FaultCase& c : kFaults) {
            if (Skipped(c)) continue;
            SCOPED_TRACE(c.name);
            const std::wstring medium = dir_ / (L"v2 " + std::to_wstring(static_cast<int>(c.fault)));
            MakeVersion2(medium, c.fault == Fault::ServiceToolHangs ? hangTimeout : 0);
            const test::EventChannel events;
            EXPECT_EQ(1, RunFailing(medium, c.fault));
            EXPECT_EQ(before, StateOf(product_));
            EXPECT_EQ(1, Count(events.Events(), event));
        }
    }

    bool Skipped(const FaultCase& c) const { return c.nt6Only && !test::ExpectedNt6(); }

    // The installation as version 2 lays it out: each file from that
    // medium, byte for byte, and nothing else in the folder.
    MachineState Version2Files() const {
        MachineState expected;
        auto add = [&](const std::wstring& from, const std::wstring& to) {
            expected[product_.Installed(to)] = Digest(ReadBytes(v2_ + L"\\" + from));
        };
        expected[product_.Installed(L"Uninstall\\")] = expected[product_.Installed(L"Images\\")] = "folder";
        add(L"setup.exe", L"Uninstall\\setup.exe");
        add(L"setup.ini", L"Uninstall\\setup.ini");
        for (const wchar_t* lang : {L"ENU", L"CHT", L"CHS", L"JPN", L"DEU", L"KOR", L"FRA"})
            add(std::wstring(L"setup") + lang + L".dll", std::wstring(L"Uninstall\\setup") + lang + L".dll");
        add(L"setup.ini", L"setup.ini");
        for (const wchar_t* name : {L"mingwm10.dll", L"KXRaidSetup.exe"}) add(std::wstring(L"Application\\") + name, name);
        if (test::ExpectedNt6()) add(L"Application\\ArrSvcSetup.exe", L"ArrSvcSetup.exe");
        MachineState images;
        AddFiles(v2_ + L"\\Application\\Images", images);
        for (const auto& image : images) {
            const std::wstring name = image.first.substr(image.first.rfind(L'\\') + 1);
            add(L"Application\\Images\\" + name, L"Images\\" + name);
        }
        return expected;
    }

    MachineState InstalledFiles() const {
        MachineState files;
        AddFiles(product_.installDir, files);
        return files;
    }

    test::ScratchDir dir_;
    test::Installation product_{test::UniqueTag()};
    test::ScopedEnv log_{L"AV_STANDIN_LOG", dir_ / L"standin.log"};
    std::wstring v1_, v2_;
};

TEST_F(UpgradeTest, AnUpgradeThatFailsAtAnyStepLeavesVersion1WholeWithItsServiceRunning) {
    ASSERT_EQ(0, RunSilent(v1_));
    const MachineState before = StateOf(product_);
    ASSERT_EQ(L"1.00.00", DisplayVersion(product_));
    if (test::ExpectedNt6()) {
        ASSERT_EQ(std::to_string(SERVICE_RUNNING), before.at(L"service"));
    }
    // Every file byte for byte, every value, the links, the service
    // running again, and nothing of the transaction left.
    ExpectEachFaultLeaves(before, kRestored, 8);
}

TEST_F(UpgradeTest, AFirstInstallThatFailsAtAnyStepLeavesNothing) {
    const MachineState before = StateOf(product_);
    // The default bound of 30 s, here alone.
    ExpectEachFaultLeaves(before, kUndone, 0);
    EXPECT_FALSE(test::FileExists(product_.installDir));
}

// The installation folder on a 64 MB file system (the test prefixes mount
// one there, as root): version 2's application is larger than the room.
TEST_F(UpgradeTest, AnUpgradeThatFillsTheDiskLeavesVersion1WholeAndTheSpaceAsItWas) {
    test::Installation product(test::UniqueTag(), L"AvSmallDisk", L"Arrayvane Small " + test::UniqueTag());
    if (!test::FileExists(product.installDir)) GTEST_SKIP() << "no small file system (the prefix is made as root)";
    const std::wstring v1 = dir_ / L"small v1", v2 = dir_ / L"small v2";
    test::CopyTree(test::MediumDir(), v1);
    product.WriteSetupIni(v1, 0);
    test::CopyTree(v1, v2);
    AppendBytes(v2 + L"\\setup.ini", "Version=2.00.00\r\n");
    ASSERT_EQ(0, RunSilent(v1));
    const MachineState before = StateOf(product);
    ULARGE_INTEGER free = {};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(product.installDir.c_str(), &free, nullptr, nullptr));
    {
        // Larger than the room, without taking the time to write it.
        HANDLE big = ::CreateFileW((v2 + L"\\Application\\KXRaidSetup.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, big);
        LARGE_INTEGER size;
        size.QuadPart = static_cast<LONGLONG>(free.QuadPart) + 8 * 1024 * 1024;
        ::SetFilePointerEx(big, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(big);
        ::CloseHandle(big);
    }
    const test::LogFolder logs(dir_ / L"temp");
    const test::EventChannel events;
    EXPECT_EQ(1, RunSilent(v2));
    EXPECT_EQ(before, StateOf(product));
    // Its log says which file, which Windows error in words, what was put
    // back; the failure and closing events name it.
    const std::wstring log = logs.Newest(), application = product.installDir + L"\\KXRaidSetup.exe";
    const size_t failed = log.find(L" File " + application + L" from ");
    ASSERT_NE(std::wstring::npos, failed) << test::Narrow(log);
    const std::wstring line = log.substr(failed, log.find(L"\r\n", failed) - failed);
    const std::wstring error = L": Windows error 112: " + test::ErrorWords(ERROR_DISK_FULL);
    EXPECT_NE(std::wstring::npos, line.find(L" could not be ")) << test::Narrow(line);
    ASSERT_GT(line.size(), error.size());
    EXPECT_EQ(error, line.substr(line.size() - error.size())) << test::Narrow(line);
    // The failure's own line gives the words too.
    const size_t reported = log.find(L" FAILED: ", failed);
    const std::wstring failure = log.substr(reported, log.find(L"\r\n", reported) - reported);
    EXPECT_NE(std::wstring::npos, failure.find(error)) << test::Narrow(failure);
    // Every file it had replaced goes back: the runtime DLL, placed first.
    const size_t undo = log.find(L"Undo: put back " + product.installDir + L"\\mingwm10.dll\r\n");
    EXPECT_LT(failed, undo);
    EXPECT_NE(std::wstring::npos, undo) << test::Narrow(log.substr(failed));
    if (test::ExpectedNt6()) {
        const size_t service = log.find(L"Undo: the earlier service registered and started again");
        EXPECT_LT(undo, service);
        EXPECT_NE(std::wstring::npos, log.find(L"The service tool ended with exit code 0", service));
    }
    EXPECT_NE(std::wstring::npos, log.find(L"Outcome: failed; exit code 1; "));
    int named = 0;
    for (const auto& event : events.Events()) named += event.log == logs.NewestPath();
    EXPECT_EQ(3, named) << "the failure, the rollback and the closing event";
    ULARGE_INTEGER after = {};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(product.installDir.c_str(), &after, nullptr, nullptr));
    EXPECT_EQ(free.QuadPart, after.QuadPart);
}

// Where a deployment tool's time-out or a power loss cuts an upgrade off.
enum class KillPoint { FirstFileKeptAside, HalfwayThroughALargeCopy, RegistryWritten };

struct KillCase {
    KillPoint point;
    const char* name;
    // The uninstaller's setup.ini kept aside, its new copy not yet moved in:
    // as a kill between those two renames leaves it.
    bool setupIniAside = false;
};

const KillCase kKills[] = {
    {KillPoint::FirstFileKeptAside, "after the first file was kept aside"},
    {KillPoint::FirstFileKeptAside, "while the uninstaller's setup.ini was kept aside", true},
    {KillPoint::HalfwayThroughALargeCopy, "halfway through a large copy"},
    {KillPoint::RegistryWritten, "after the registry was written"},
};

class KilledUpgradeTest : public UpgradeTest {
protected:

    void SetUp() override {
        UpgradeTest::SetUp();
        // A copy that takes long enough to be caught half-way.
        HANDLE big = ::CreateFileW((v2_ + L"\\Application\\mingwm10.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, big);
        LARGE_INTEGER size;
        size.QuadPart = 160ll * 1024 * 1024;
        ::SetFilePointerEx(big, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(big);
        ::CloseHandle(big);
    }

    int Registrations() const {
        const std::string log = ReadBytes(dir_ / L"standin.log");
        int count = 0;
        for (size_t at = log.find("\" -i"); at != std::string::npos; at = log.find("\" -i", at + 1)) ++count;
        return count;
    }

    bool Reached(KillPoint point) const {
        switch (point) {
        case KillPoint::FirstFileKeptAside:
            return test::FileExists(product_.Installed(L"Uninstall\\setup.exe.avsetup-old"));
        case KillPoint::HalfwayThroughALargeCopy: {
            WIN32_FILE_ATTRIBUTE_DATA data;
            return ::GetFileAttributesExW(product_.Installed(L"mingwm10.dll.avsetup-new").c_str(),
                                          GetFileExInfoStandard, &data) &&
                   (data.nFileSizeLow > 0 || data.nFileSizeHigh > 0);
        }
        // On NT 6 the service tool's "-i" at work, its first line logged: not
        // in the midst of its creation, which a kill could leave half-done
        // and out of sight (Wine then never finishes starting it).
        case KillPoint::RegistryWritten:
            return DisplayVersion(product_) == L"2.00.00" &&
                   (!test::ExpectedNt6() || Registrations() > registrationsBefore_);
        }
        return false;
    }

    // Version 1 installed, then version 2's install ended from outside
    // (TerminateProcess: Wine ends the process with SIGKILL) at the point.
    void KillUpgradeAt(KillPoint point) {
        // Version 1 anew: over the version 2 of the row before, it would be
        // refused.
        product_.RemoveAll();
        ASSERT_EQ(0, RunSilent(v1_));
        registrationsBefore_ = Registrations();
        // Its service tool's "-i" takes its time, so that the kill finds it
        // at work rather than being started; "-k" and "-u" need none.
        std::unique_ptr<test::ScopedEnv> slowTool(new test::ScopedEnv(L"AV_STANDIN_DELAY_MS", L"2000"));
        std::unique_ptr<test::ScopedEnv> slowWord(new test::ScopedEnv(L"AV_STANDIN_DELAY_WORD", L"-i"));
        test::Process setup(L"\"" + v2_ + L"\\setup.exe\" s");
        slowWord.reset();
        slowTool.reset();
        ASSERT_TRUE(test::WaitFor([&] { return Reached(point); }, 60000));
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, setup.Id());
        ASSERT_NE(nullptr, process);
        ::TerminateProcess(process, 137);
        ::WaitForSingleObject(process, 20000);
        ::CloseHandle(process);
        // As a power loss would, everything running from the installation
        // goes with it: the service tool it started, the service. (An
        // orphaned stand-in "-i" can hang for ever under Wine when the
        // next run takes the service down at the same time.)
        test::EndProcessesUnder(product_.installDir);
        // It ended before it could commit, and left the uninstall entry's
        // program under its name, the old or the new.
        ASSERT_TRUE(test::FileExists(product_.Installed(L"avsetup.journal")));
        EXPECT_TRUE(test::FileExists(product_.Installed(L"Uninstall\\setup.exe")));
    }

    void SetUninstallersSetupIniAside() const {
        const std::wstring ini = product_.Installed(L"Uninstall\\setup.ini");
        ASSERT_TRUE(::MoveFileExW(ini.c_str(), (ini + L".avsetup-old").c_str(), MOVEFILE_REPLACE_EXISTING));
    }

    int registrationsBefore_ = 0;
};

TEST_F(KilledUpgradeTest, TheNextRunOfVersion2EndsWithVersion2Whole) {
    for (const KillCase& c : kKills) {
        SCOPED_TRACE(c.name);
        KillUpgradeAt(c.point);
        if (c.setupIniAside) SetUninstallersSetupIniAside();
        const test::LogFolder logs(dir_ / L"temp");
        EXPECT_EQ(0, RunSilent(v2_));
        // Its log says what it found and undid before its own work.
        const std::wstring log = logs.Newest();
        const size_t found = log.find(L"Recovery: " + product_.Installed(L"avsetup.journal") + L" left by a run");
        EXPECT_NE(std::wstring::npos, found) << test::Narrow(log);
        EXPECT_LT(found, log.find(L"Undo: put back " + product_.Installed(L"Uninstall\\setup.exe")));
        EXPECT_LT(found, log.find(L"Versions: "));
        EXPECT_EQ(Version2Files(), InstalledFiles());
        EXPECT_EQ(L"2.00.00", DisplayVersion(product_));
        if (test::ExpectedNt6()) {
            EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), test::ServiceState(product_.serviceName));
        }
    }
}

TEST_F(KilledUpgradeTest, TheQuietUninstallStringThenRemovesEverything) {
    for (const KillCase& c : kKills) {
        SCOPED_TRACE(c.name);
        KillUpgradeAt(c.point);
        if (c.setupIniAside) SetUninstallersSetupIniAside();
        wchar_t command[1024] = {};
        DWORD size = sizeof command - sizeof(wchar_t);
        ASSERT_EQ(ERROR_SUCCESS, ::SHGetValueW(HKEY_LOCAL_MACHINE, product_.uninstallKey.c_str(),
                                               L"QuietUninstallString", nullptr, command, &size));
        test::Process uninstall(command);
        EXPECT_EQ(0, uninstall.Wait(120000));
        EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(product_.installDir); }, 60000))
            << Listing(InstalledFiles());
        EXPECT_FALSE(test::FileExists(product_.desktopLink));
        EXPECT_FALSE(test::FileExists(product_.group));
        EXPECT_EQ(L"", DisplayVersion(product_));
        EXPECT_EQ(0u, test::ServiceState(product_.serviceName));
    }
}

// Files held by other programs: what cannot be replaced or deleted now is
// at the next restart (Wine's "wineboot -r" performs the queued work), and
// the run says so with 3010.
class HeldFileTest : public UpgradeTest {
protected:
    // Another program's handle: reading, no write or delete sharing, as a
    // virus scanner or a backup agent holds a file.
    struct Holder {
        explicit Holder(const std::wstring& path)
            : handle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
        ~Holder() { Release(); }
        void Release() {
            if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
            handle = INVALID_HANDLE_VALUE;
        }
        HANDLE handle;
    };

    static void Restart() {
        test::Process wineboot(L"wineboot.exe -r");
        ASSERT_EQ(0, wineboot.Wait(120000));
    }

    static std::wstring WaitingFilesOf(const std::vector<test::ReportedEvent>& events) {
        std::wstring files;
        for (const auto& event : events) {
            if (event.id == kRestartPending && !event.strings.empty()) files += event.strings.back() + L"\n";
        }
        return files;
    }

    void ExpectServiceRunning() const {
        if (test::ExpectedNt6()) {
            EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), test::ServiceState(product_.serviceName));
        }
    }

    bool NothingQueuedOfOurs() const {
        return test::PendingFileRenames().find(product_.installDir) == std::wstring::npos;
    }
};

TEST_F(HeldFileTest, AnUpgradeMeetingAHeldFileFinishesAtTheRestart) {
    ASSERT_EQ(0, RunSilent(v1_));
    const std::wstring mingw = product_.Installed(L"mingwm10.dll");
    Holder holder(mingw);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder.handle);
    const test::EventChannel events;
    const test::LogFolder logs(dir_ / L"temp");
    EXPECT_EQ(3010, RunSilent(v2_));
    EXPECT_EQ(1, Count(events.Events(), kRestartPending));
    const std::wstring log = logs.Newest();
    EXPECT_NE(std::wstring::npos, log.find(L"Restart queue: " + mingw + L".avsetup-new replaces " + mingw + L"\r\n"))
        << test::Narrow(log);
    EXPECT_NE(std::wstring::npos, log.find(L"Outcome: done; a restart of the computer completes it; exit code 3010; "));
    EXPECT_EQ(mingw + L"\n", WaitingFilesOf(events.Events()));
    EXPECT_NE(std::wstring::npos, test::PendingFileRenames().find(mingw + L".avsetup-new|!\\??\\" + mingw + L"|"))
        << test::Narrow(test::PendingFileRenames());
    EXPECT_EQ(L"2.00.00", DisplayVersion(product_));
    ExpectServiceRunning();
    holder.Release();
    Restart();
    EXPECT_EQ(Version2Files(), InstalledFiles());
    EXPECT_TRUE(NothingQueuedOfOurs());
    ExpectServiceRunning();
}

// Its window under another title (a program still starting, or a helper):
// the installer cannot close it, but a running program's file can be
// renamed, and the renamed one goes at the restart.
TEST_F(HeldFileTest, AnApplicationRunningUnderAnotherTitleIsReplacedAtOnce) {
    ASSERT_EQ(0, RunSilent(v1_));
    test::Process application(L"\"" + product_.Installed(L"KXRaidSetup.exe") + L"\"");
    HWND window = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return (window = ::FindWindowW(nullptr, product_.appName.c_str())) != nullptr; }));
    ::SetWindowTextW(window, L"Starting...");
    EXPECT_EQ(0, RunSilent(v2_));
    EXPECT_EQ(Digest(ReadBytes(v2_ + L"\\Application\\KXRaidSetup.exe")),
              Digest(ReadBytes(product_.Installed(L"KXRaidSetup.exe"))));
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(application.Handle(), 0)) << "the application was closed";
    ::TerminateProcess(application.Handle(), 0);
    application.Wait(20000);
    Restart();
    EXPECT_EQ(Version2Files(), InstalledFiles());
    EXPECT_TRUE(NothingQueuedOfOurs());
}

// The uninstall meets a held file: version 1's mingwm10.dll itself, or the
// new copy that a 3010 upgrade left waiting to replace it. Either goes at
// the restart with the folder, and nothing the upgrade queued brings a
// file back.
TEST_F(HeldFileTest, AnUninstallMeetingAHeldFileFinishesAtTheRestart) {
    const struct {
        const char* name;
        bool afterWaitingUpgrade;
    } cases[] = {{"the installed file", false}, {"an upgrade's waiting copy", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        product_.RemoveAll();
        ASSERT_EQ(0, RunSilent(v1_));
        const std::wstring mingw = product_.Installed(L"mingwm10.dll");
        std::wstring held = mingw;
        if (c.afterWaitingUpgrade) {
            Holder upgradeHolder(mingw);
            ASSERT_EQ(3010, RunSilent(v2_));
            held = mingw + L".avsetup-new";
        }
        Holder holder(held);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder.handle);
        const test::EventChannel events;
        test::Process uninstall(L"\"" + product_.Installed(L"Uninstall\\setup.exe") + L"\" delpkg SilentDel");
        EXPECT_EQ(3010, uninstall.Wait(120000));
        EXPECT_EQ(held + L"\n", WaitingFilesOf(events.Events()));
        EXPECT_EQ(L"", DisplayVersion(product_));
        // The script removes the Uninstall folder once the uninstaller ended,
        // and its last try at InstallDir (after a ping's pause) fails on the
        // held file.
        EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(product_.Installed(L"Uninstall")); }, 60000));
        EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(product_.Installed(L"KxUninst.bat")); }, 60000));
        EXPECT_TRUE(test::WaitFor([] { return !AnyProcessNamed(L"ping.exe"); }, 60000));
        EXPECT_TRUE(test::FileExists(product_.installDir));
        holder.Release();
        Restart();
        EXPECT_FALSE(test::FileExists(product_.installDir)) << Listing(InstalledFiles());
        EXPECT_TRUE(NothingQueuedOfOurs());
    }
}

// A service that takes its time to stop once "-k" has returned, and an
// application that takes its time to end once its window has closed: the
// upgrade and the uninstall wait for each and need no restart. Past
// StopTimeout they go on, and what is still in use goes at the restart.
TEST_F(HeldFileTest, SlowProgramsAreWaitedForWithinStopTimeout) {
    const struct {
        const char* name;
        int stopTimeout;
        const wchar_t* slowMs;  // the service's stop, the application's end
        int uninstallCode;
        const wchar_t* logged;
    } cases[] = {
        {"within the bound", 30, L"3000", 0, L"Waited "},
        {"past the bound", 2, L"10000", 3010, L"when the 2000 ms bound passed"},
    };
    const test::ScopedEnv stopAtOnce(L"AV_STANDIN_STOP_AT_ONCE", L"1");
    std::unique_ptr<test::Process> application;
    auto startApplication = [&] {
        application.reset(new test::Process(L"\"" + product_.Installed(L"KXRaidSetup.exe") + L"\""));
        ASSERT_TRUE(test::WaitFor([&] { return ::FindWindowW(nullptr, product_.appName.c_str()) != nullptr; }));
    };
    auto expectWaitsLogged = [&](const std::wstring& log) {
        EXPECT_NE(std::wstring::npos, log.find(L" ms for the application's process ")) << test::Narrow(log);
        if (!test::ExpectedNt6()) return;
        const size_t service = log.find(L" ms for the service \"" + product_.serviceName + L"\" (process ");
        EXPECT_LT(service, log.find(L"ArrSvcSetup.exe\" -u"));
        EXPECT_LT(log.find(L" Waited ", log.rfind(L'\n', service)), service) << "with its time";
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        product_.RemoveAll();
        product_.WriteSetupIni(v1_, 0, 0, c.stopTimeout);
        product_.WriteSetupIni(v2_, 0, 0, c.stopTimeout);
        AppendBytes(v2_ + L"\\setup.ini", "Version=2.00.00\r\n");
        const test::ScopedEnv slowService(L"AV_STANDIN_SERVICE_STOP_MS", c.slowMs);
        const test::ScopedEnv slowApplication(L"AV_STANDIN_END_MS", c.slowMs);
        ASSERT_EQ(0, RunSilent(v1_));
        if (c.uninstallCode == 0) {
            startApplication();
            const test::LogFolder logs(dir_ / L"temp upgrade");
            EXPECT_EQ(0, RunSilent(v2_));
            MachineState files = InstalledFiles();
            files.erase(product_.Installed(L"Cfg.KX"));  // the application's settings, saved as it ended
            EXPECT_EQ(Version2Files(), files);
            EXPECT_TRUE(NothingQueuedOfOurs()) << test::Narrow(test::PendingFileRenames());
            expectWaitsLogged(logs.Newest());
        }
        startApplication();
        const test::LogFolder logs(dir_ / (L"temp uninstall " + std::to_wstring(c.stopTimeout)));
        test::Process uninstall(L"\"" + product_.Installed(L"Uninstall\\setup.exe") + L"\" delpkg SilentDel");
        EXPECT_EQ(c.uninstallCode, uninstall.Wait(120000));
        const std::wstring log = logs.Newest();
        EXPECT_NE(std::wstring::npos, log.find(c.logged)) << test::Narrow(log);
        if (c.uninstallCode == 0) expectWaitsLogged(log);
        if (c.uninstallCode == 0) {
            EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(product_.installDir); }, 60000))
                << Listing(InstalledFiles());
        } else {
            // The script ends, and the slow programs by themselves; the
            // restart then removes what waited for it.
            EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(product_.Installed(L"KxUninst.bat")); }, 60000));
            EXPECT_TRUE(test::WaitFor([] { return !AnyProcessNamed(L"ping.exe"); }, 60000));
            EXPECT_EQ(0, application->Wait(60000));
            EXPECT_TRUE(test::WaitFor([&] { return test::ServiceState(product_.serviceName) == 0; }, 60000));
            Restart();
            EXPECT_FALSE(test::FileExists(product_.installDir)) << Listing(InstalledFiles());
        }
        EXPECT_TRUE(NothingQueuedOfOurs());
    }
}

// A replacement queued, then a later step fails: the rollback cancels it.
TEST_F(HeldFileTest, AFailureAfterAQueuedReplacementLeavesNothingQueued) {
    ASSERT_EQ(0, RunSilent(v1_));
    const MachineState before = StateOf(product_);
    Holder holder(product_.Installed(L"mingwm10.dll"));
    EXPECT_EQ(1, RunFailing(v2_, test::ExpectedNt6() ? Fault::ServiceToolFails : Fault::RegistryValue));
    EXPECT_TRUE(NothingQueuedOfOurs()) << test::Narrow(test::PendingFileRenames());
    holder.Release();
    EXPECT_EQ(before, StateOf(product_));
}

// An older medium never replaces a newer installation; the same version
// repairs, a newer one upgrades, by number rather than by text.
TEST_F(UpgradeTest, OnlyAnOlderMediumIsRefusedAndChangesNothing) {
    struct VersionCase {
        const char* name;
        const wchar_t* installed;  // DisplayVersion as the installation has it
        const wchar_t* medium;     // the medium's setup.ini Version
        int exitCode;
    };
    const VersionCase cases[] = {
        {"an older medium", L"2.00.00", L"1.00.00", 1638},
        {"the same version, a repair", L"2.00.00", L"2.00.00", 0},
        {"a newer minor version", L"2.00.00", L"2.1", 0},
        {"ten after nine", L"9.00.00", L"10.00.00", 0},
        {"an installed version that is not one", L"beta", L"1.00.00", 0},
    };
    ASSERT_EQ(0, RunSilent(v1_));
    const std::wstring image = product_.Installed(L"Images\\Logo.bmp");
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.name);
        ::SHSetValueW(HKEY_LOCAL_MACHINE, product_.uninstallKey.c_str(), L"DisplayVersion", REG_SZ, c.installed,
                      static_cast<DWORD>((::lstrlenW(c.installed) + 1) * sizeof(wchar_t)));
        ::DeleteFileW(image.c_str());
        product_.WriteSetupIni(v2_, 0);
        AppendBytes(v2_ + L"\\setup.ini", "Version=" + test::Narrow(c.medium) + "\r\n");
        const MachineState before = StateOf(product_);
        const test::EventChannel events;
        const test::LogFolder logs(dir_ / (L"temp " + std::wstring(c.installed)));
        EXPECT_EQ(c.exitCode, RunSilent(v2_));
        const std::wstring log = logs.Newest();
        EXPECT_NE(std::wstring::npos, log.find(std::wstring(L"Versions: ") + c.installed + L" installed, the medium's " +
                                               c.medium + L": "))
            << test::Narrow(log);
        EXPECT_NE(std::wstring::npos, log.find(L"; exit code " + std::to_wstring(c.exitCode) + L"; "));
        if (c.exitCode == 1638) {
            EXPECT_EQ(before, StateOf(product_));
            EXPECT_EQ(1, Count(events.Events(), kNewerInstalled));
        } else {
            EXPECT_EQ(c.medium, DisplayVersion(product_));
            EXPECT_TRUE(test::FileExists(image));
            EXPECT_EQ(0, Count(events.Events(), kNewerInstalled));
        }
    }
}

} // namespace

