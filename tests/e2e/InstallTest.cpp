#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/EventChannel.h"
#include "tests/support/Installation.h"
#include "tests/support/RunLogs.h"
#include "tests/support/TestSupport.h"

namespace {

std::wstring ReadString(const std::wstring& key, const wchar_t* name, DWORD* type = nullptr) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data, valueType = 0;
    if (::SHGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, &valueType, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    if (type) *type = valueType;
    return data;
}

DWORD SubKeyCount(const std::wstring& key) {
    HKEY handle;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return 0;
    DWORD count = 0;
    ::RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
    ::RegCloseKey(handle);
    return count;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY handle;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

std::wstring Prefix() { return test::CurrentVersionKey(); }

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in a folder: its files, or its sub-folders.
std::vector<std::wstring> Names(const std::wstring& folder, bool folders = false) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder == folders && name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

const wchar_t* const kInstalledModules[] = {L"ENU", L"CHT", L"CHS", L"JPN", L"DEU", L"KOR", L"FRA"};

// Installs from a private copy of the medium under a folder, product and
// service name of its own, and takes all of it away again afterwards.
class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        ASSERT_TRUE(test::FileExists(medium_ + L"\\setup.exe"));
        WriteIni(0);
        UseProduct(product_);
    }
    void UseProduct(const test::Installation& product) {
        folder_ = product.folder;
        appName_ = product.appName;
        installDir_ = product.installDir;
        group_ = product.group;
        desktopLink_ = product.desktopLink;
        uninstallKey_ = product.uninstallKey;
    }

    void TearDown() override {
        product_.RemoveAll();
        test::DeleteCompatMarksContaining(dir_.Path());
    }

    void WriteIni(int launch) { product_.WriteSetupIni(medium_, launch); }

    void WriteIniWithFolder(const std::string& folder) {
        test::WriteTextFile(medium_ + L"\\setup.ini",
                            "[Customized_Setting]\r\nAPPFolderName=" + folder + "\r\n[Startup]\r\nAppName=" +
                                std::string(appName_.begin(), appName_.end()) + "\r\n");
    }

    int SilentInstall(const std::wstring& exe = L"setup.exe") {
        test::Process setup(L"\"" + medium_ + L"\\" + exe + L"\" s");
        return setup.Wait(120000);
    }

    // Runs the installed uninstaller's wizard and confirms (or cancels) it.
    void Uninstall(bool confirm) {
        test::Process setup(L"\"" + installDir_ + L"\\Uninstall\\setup.exe\" delpkg");
        HWND wizard = nullptr;
        ASSERT_TRUE(test::WaitFor([&] {
            return (wizard = test::FindProcessWindow(setup.Id(), appName_ + L" - Uninstallation Wizard")) != nullptr;
        }));
        if (confirm) {
            // The action button, then the finish button once the end page shows it.
            ::PostMessageW(wizard, WM_COMMAND, 1000, 0);
            EXPECT_TRUE(test::WaitFor([&] { return ::IsWindowVisible(::GetDlgItem(wizard, IDOK)) != FALSE; },
                                      120000));
            ::PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        } else {
            ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
        }
        EXPECT_EQ(0, setup.Wait(120000));
    }

    // A silent run that fails: no window at any moment, exit code 1, and
    // the failure's text in the event log.
    void ExpectSilentFailure(const std::wstring& commandLine, const std::wstring& about) {
        const test::EventChannel events;
        test::Process setup(commandLine);
        bool showedWindow = true;
        EXPECT_EQ(1, setup.WaitNoticingWindows(showedWindow, 120000));
        EXPECT_FALSE(showedWindow);
        const std::vector<std::wstring> failures = events.Failures();
        ASSERT_EQ(1u, failures.size());
        EXPECT_NE(std::wstring::npos, failures[0].find(about)) << test::Narrow(failures[0]);
    }

    // Runs the install wizard from the medium to its end: the action
    // button, then Finish.
    void InstallWithWizard() {
        test::Process setup(L"\"" + medium_ + L"\\setup.exe\"");
        HWND wizard = nullptr;
        ASSERT_TRUE(test::WaitFor([&] {
            return (wizard = test::FindProcessWindow(setup.Id(), appName_ + L" - Installation Wizard")) != nullptr;
        }));
        ::PostMessageW(wizard, WM_COMMAND, 1000, 0);
        EXPECT_TRUE(test::WaitFor([&] { return ::IsWindowVisible(::GetDlgItem(wizard, IDOK)) != FALSE; }, 120000));
        ::PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0, setup.Wait(120000));
    }
    // Nothing of the product after its uninstall; once the uninstaller has
    // ended, its script takes the Uninstall folder, itself and InstallDir.
    void ExpectRemoved() {
        for (const wchar_t* name : {L"KXRaidSetup.exe", L"mingwm10.dll", L"setup.ini", L"Cfg.KX",
                                    L"ArrSvcSetup.exe", L"Images"})
            EXPECT_FALSE(test::FileExists(Installed(name))) << test::Narrow(name);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey_));
        EXPECT_EQ(L"<missing>", ReadString(Prefix() + L"Run", appName_.c_str()));
        EXPECT_FALSE(test::FileExists(desktopLink_));
        EXPECT_FALSE(test::FileExists(group_));
        if (test::ExpectedNt6()) {
            EXPECT_TRUE(test::WaitFor([&] { return ServiceState() == 0; }, 30000));
        }
        EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(installDir_); }, 60000));
    }
    HWND ApplicationWindow() const { return ::FindWindowW(nullptr, appName_.c_str()); }
    DWORD ServiceState() const { return test::ServiceState(product_.serviceName); }

    std::wstring Installed(const std::wstring& name) const { return installDir_ + L"\\" + name; }
    std::string Log() const { return ReadFile(log_); }

    test::ScratchDir dir_;
    test::Installation product_{test::UniqueTag()};
    std::wstring log_ = dir_ / L"standin.log";
    test::ScopedEnv logVariable_{L"AV_STANDIN_LOG", log_};
    std::wstring folder_, appName_, medium_, installDir_, group_, desktopLink_, uninstallKey_;
};

TEST_F(InstallTest, FirstSilentInstallLaysOutTheProduct) {
    const test::LogFolder logs(dir_ / L"temp");
    ASSERT_EQ(0, SilentInstall());
    const bool nt6 = test::ExpectedNt6() == 1;

    // Its log, in the temporary folder: every file placed, every value, each
    // link, the service tool's run and how the run ended.
    ASSERT_EQ(1u, logs.Logs().size());
    const std::wstring log = logs.Newest();
    EXPECT_EQ(nt6 ? 122 : 121, test::Occurrences(log, L" File " + installDir_ + L"\\")) << test::Narrow(log);
    for (const wchar_t* value : {L"UninstallString", L"DisplayName", L"DisplayIcon", L"Publisher", L"DisplayVersion",
                                 L"QuietUninstallString", L"InstallLocation", L"EstimatedSize"})
        EXPECT_EQ(1, test::Occurrences(log, std::wstring(L"Registry value ") + value + L" = ")) << value;
    EXPECT_EQ(nt6 ? 0 : 1, test::Occurrences(log, L"\\Run\\" + appName_ + L" = "));
    EXPECT_EQ(1, test::Occurrences(log, L" Shortcut " + desktopLink_ + L" to "));
    EXPECT_EQ(1, test::Occurrences(log, L" Shortcut " + group_ + L"\\" + appName_ + L".lnk to "));
    EXPECT_EQ(1, test::Occurrences(log, L" Shortcut " + group_ + L"\\Uninstall.lnk to "));
    EXPECT_EQ(nt6 ? 1 : 0, test::Occurrences(log, L"Run: \"" + installDir_ + L"\\ArrSvcSetup.exe\" -i\r\n"));
    EXPECT_EQ(nt6 ? 1 : 0, test::Occurrences(log, L"The service tool ended with exit code 0 after "));
    EXPECT_NE(std::wstring::npos, log.find(L"Outcome: done; exit code 0; the run took "));
    EXPECT_EQ(L"\r\n", log.substr(log.size() - 2));
    EXPECT_EQ(std::wstring::npos, log.find(L"Outcome:", log.find(L"Outcome:") + 1)) << "one end";

    for (const wchar_t* name : {L"KXRaidSetup.exe", L"mingwm10.dll", L"setup.ini", L"Uninstall\\setup.exe",
                                L"Uninstall\\setup.ini"})
        EXPECT_TRUE(test::FileExists(Installed(name))) << name;
    for (const wchar_t* lang : kInstalledModules)
        EXPECT_TRUE(test::FileExists(Installed(std::wstring(L"Uninstall\\setup") + lang + L".dll"))) << lang;
    EXPECT_TRUE(test::FileExists(medium_ + L"\\setupITA.dll"));
    EXPECT_FALSE(test::FileExists(Installed(L"Uninstall\\setupITA.dll")));
    EXPECT_EQ(109u, Names(Installed(L"Images")).size());
    EXPECT_EQ(nt6, test::FileExists(Installed(L"ArrSvcSetup.exe")));

    EXPECT_EQ(L"\"" + Installed(L"Uninstall\\setup.exe") + L"\" delpkg",
              ReadString(uninstallKey_, L"UninstallString"));
    EXPECT_EQ(appName_, ReadString(uninstallKey_, L"DisplayName"));
    EXPECT_EQ(Installed(L"Uninstall\\setup.exe"), ReadString(uninstallKey_, L"DisplayIcon"));
    EXPECT_EQ(L"Veltro Technology Corp.", ReadString(uninstallKey_, L"Publisher"));
    EXPECT_EQ(L"1.00.00", ReadString(uninstallKey_, L"DisplayVersion"));
    EXPECT_EQ(nt6 ? L"<missing>" : L"\"" + Installed(L"KXRaidSetup.exe") + L"\" min",
              ReadString(Prefix() + L"Run", appName_.c_str()));

    EXPECT_TRUE(test::FileExists(desktopLink_));
    EXPECT_TRUE(test::FileExists(group_ + L"\\" + appName_ + L".lnk"));
    EXPECT_TRUE(test::FileExists(group_ + L"\\Uninstall.lnk"));

    DWORD mark = 0, size = sizeof mark;
    bool marked = ::SHGetValueW(HKEY_CURRENT_USER,
                                L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\"
                                L"Compatibility Assistant\\Persisted",
                                Installed(L"KXRaidSetup.exe").c_str(), nullptr, &mark, &size) == ERROR_SUCCESS;
    EXPECT_EQ(nt6, marked && mark == 1);

    if (nt6) {
        // The install ended once the service was running: looked at once,
        // as a deployment tool would right after the exit code.
        EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState());
        EXPECT_NE(std::string::npos, Log().find("ArrSvcSetup.exe\" -i"));
    } else {
        EXPECT_EQ(std::string::npos, Log().find("ArrSvcSetup"));
    }
    // LaunchAPInSilentMode 0 starts nothing.
    EXPECT_EQ(std::string::npos, Log().find("KXRaidSetup"));
    EXPECT_EQ(nullptr, ApplicationWindow());
}

// The size of the certificate table in a program's header: non-zero once signed.
DWORD SignatureSize(const std::string& image) {
    if (image.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    if (dos->e_lfanew <= 0 || image.size() < dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32)) return 0;
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size;
}

TEST_F(InstallTest, SignedMediumInstallsAndItsUninstallerKeepsTheSignature) {
    const std::wstring signedMedium = test::SignedMediumDir();
    for (const wchar_t* name : {L"setup.exe", L"setupENU.dll"})
        ASSERT_TRUE(::CopyFileW((signedMedium + L"\\" + name).c_str(), (medium_ + L"\\" + name).c_str(), FALSE))
            << name;
    const std::string signedSetup = ReadFile(medium_ + L"\\setup.exe");
    ASSERT_NE(0u, SignatureSize(signedSetup));

    ASSERT_EQ(0, SilentInstall());
    EXPECT_EQ(signedSetup, ReadFile(Installed(L"Uninstall\\setup.exe")));
    EXPECT_NE(0u, SignatureSize(ReadFile(Installed(L"Uninstall\\setupENU.dll"))));
    EXPECT_EQ(L"\"" + Installed(L"Uninstall\\setup.exe") + L"\" delpkg", ReadString(uninstallKey_, L"UninstallString"));
}

TEST_F(InstallTest, SilentInstallLaunchesTheApplicationWhenAsked) {
    WriteIni(1);
    ASSERT_EQ(0, SilentInstall());
    EXPECT_TRUE(test::WaitFor([&] { return ApplicationWindow() != nullptr; }));
}

TEST_F(InstallTest, ReinstallTakesDownTheRunningProductAndOverwritesEveryFile) {
    ASSERT_EQ(0, SilentInstall());
    test::Process app(L"\"" + Installed(L"KXRaidSetup.exe") + L"\"", installDir_);
    ASSERT_TRUE(test::WaitFor([&] { return ApplicationWindow() != nullptr; }));
    test::WriteTextFile(Installed(L"setup.ini"), "stale");
    test::WriteTextFile(Installed(L"Images\\Logo.bmp"), "stale");
    test::WriteTextFile(Installed(L"Uninstall\\setupENU.dll"), "stale");
    ::DeleteFileW(log_.c_str());

    ASSERT_EQ(0, SilentInstall());
    // The application was asked to close before its files were replaced.
    EXPECT_EQ(0, app.Wait(20000));
    EXPECT_TRUE(test::FileExists(Installed(L"Cfg.KX")));
    EXPECT_EQ(ReadFile(medium_ + L"\\setup.ini"), ReadFile(Installed(L"setup.ini")));
    EXPECT_EQ(ReadFile(medium_ + L"\\Application\\Images\\Logo.bmp"), ReadFile(Installed(L"Images\\Logo.bmp")));
    EXPECT_EQ(ReadFile(medium_ + L"\\setupENU.dll"), ReadFile(Installed(L"Uninstall\\setupENU.dll")));

    std::string log = Log();
    if (test::ExpectedNt6()) {
        size_t stop = log.find("\" -k"), remove = log.find("\" -u"), reg = log.find("\" -i");
        ASSERT_NE(std::string::npos, stop);
        ASSERT_NE(std::string::npos, remove);
        ASSERT_NE(std::string::npos, reg);
        EXPECT_LT(stop, remove);
        EXPECT_LT(remove, reg);
        EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState());
    } else {
        EXPECT_EQ(std::string::npos, log.find("ArrSvcSetup"));
    }
}

TEST_F(InstallTest, UninstallRemovesTheProductAndTheScriptRemovesTheUninstaller) {
    ASSERT_EQ(0, SilentInstall());
    test::WriteTextFile(Installed(L"Cfg.KX"), "settings");
    Uninstall(true);

    ExpectRemoved();
}

// Every file under a folder, with its path.
std::vector<std::wstring> FilesUnder(const std::wstring& folder) {
    std::vector<std::wstring> files;
    for (const std::wstring& name : Names(folder)) files.push_back(folder + L"\\" + name);
    for (const std::wstring& sub : Names(folder, true)) {
        for (const std::wstring& file : FilesUnder(folder + L"\\" + sub)) files.push_back(file);
    }
    return files;
}

bool ReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// As the earlier build left an install from a CD: every copy read-only.
TEST_F(InstallTest, AUsersOwnFileInImagesKeepsItAndTheInstallationFolder) {
    ASSERT_EQ(0, SilentInstall());
    test::WriteTextFile(Installed(L"Images\\mine.txt"), "the user's");
    Uninstall(true);
    EXPECT_TRUE(test::WaitFor([&] {
        return !test::FileExists(Installed(L"Uninstall")) && !test::FileExists(Installed(L"KxUninst.bat"));
    }, 60000));
    EXPECT_EQ(std::vector<std::wstring>{L"mine.txt"}, Names(Installed(L"Images")));
    EXPECT_FALSE(test::FileExists(Installed(L"KXRaidSetup.exe")));
}

TEST_F(InstallTest, AnInstallationOfReadOnlyFilesIsRemovedCompletely) {
    ASSERT_EQ(0, SilentInstall());
    for (const std::wstring& file : FilesUnder(installDir_)) {
        ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY)) << test::Narrow(file);
    }
    ASSERT_TRUE(ReadOnly(Installed(L"Uninstall\\setup.exe")));
    Uninstall(true);
    ExpectRemoved();
}

// The medium as a vendor ships it: the release's disc image, its files
// without write permission, as drive D:, a CD-ROM drive (scripts/wine-prefixes,
// tests/release/cd-medium), under the folder and name of its own setup.ini.
class CdInstallTest : public InstallTest {
protected:
    void SetUp() override {
        medium_ = L"D:";
        ASSERT_TRUE(ReadOnly(L"D:\\setup.exe")) << "no read-only medium on D:";
        ASSERT_EQ(static_cast<UINT>(DRIVE_CDROM), ::GetDriveTypeW(L"D:\\"));
        UseProduct(cd_);
    }
    void TearDown() override {
        cd_.RemoveAll();
        // The mark the installer leaves for itself where it ran.
        test::DeleteCompatMarksContaining(L"d:\\setup.exe");
    }

    test::Installation cd_{test::UniqueTag(), L"HBC71K", L"Arrayvane"};
};

TEST_F(CdInstallTest, InstallReinstallAndUninstallFromAReadOnlyCdLeaveNothing) {
    ASSERT_EQ(0, SilentInstall());
    for (const std::wstring& file : FilesUnder(installDir_)) EXPECT_FALSE(ReadOnly(file)) << test::Narrow(file);
    InstallWithWizard();
    // Its Finish starts the application; the reinstall takes it down once
    // its window is there (a program still starting holds its files).
    EXPECT_TRUE(test::WaitFor([&] { return ApplicationWindow() != nullptr; }));
    ASSERT_EQ(0, SilentInstall());
    Uninstall(true);
    ExpectRemoved();
}

unsigned long long BytesUnder(const std::wstring& folder) {
    unsigned long long bytes = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) bytes += BytesUnder(folder + L"\\" + name);
        else bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return bytes;
}

const wchar_t kEventSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Arrayvane Setup";

// As a deployment tool removes the product: the entry's QuietUninstallString
// run as written, without a window, and nothing of the product stays.
TEST_F(InstallTest, QuietUninstallStringRemovesEverythingWithoutAWindow) {
    ASSERT_EQ(0, SilentInstall());
    const std::wstring uninstaller = Installed(L"Uninstall\\setup.exe");
    const std::wstring quiet = ReadString(uninstallKey_, L"QuietUninstallString");
    EXPECT_EQ(L"\"" + uninstaller + L"\" delpkg SilentDel", quiet);
    EXPECT_EQ(installDir_, ReadString(uninstallKey_, L"InstallLocation"));
    DWORD size = 0, bytes = sizeof size;
    ASSERT_EQ(ERROR_SUCCESS, ::SHGetValueW(HKEY_LOCAL_MACHINE, uninstallKey_.c_str(), L"EstimatedSize", nullptr,
                                           &size, &bytes));
    const long long kilobytes = static_cast<long long>(BytesUnder(installDir_) / 1024);
    EXPECT_LE(std::llabs(kilobytes - static_cast<long long>(size)), 4) << size << " KB for " << kilobytes;
    EXPECT_EQ(uninstaller, ReadString(kEventSourceKey, L"EventMessageFile"));
    DWORD types = 0;
    bytes = sizeof types;
    ::SHGetValueW(HKEY_LOCAL_MACHINE, kEventSourceKey, L"TypesSupported", nullptr, &types, &bytes);
    EXPECT_EQ(7u, types);

    const test::EventChannel events;
    test::Process run(quiet);
    bool showedWindow = true;
    EXPECT_EQ(0, run.WaitNoticingWindows(showedWindow, 120000));
    EXPECT_FALSE(showedWindow);
    // Its script takes the uninstaller once it has ended, as after the wizard.
    ExpectRemoved();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEventSourceKey));
    EXPECT_TRUE(events.Failures().empty());
    EXPECT_EQ((std::vector<std::wstring>{appName_, L"1.00.00", L"silent uninstall", L"0"}), events.Closing());
}

TEST_F(InstallTest, CancelledUninstallLeavesTheInstallationWhole) {
    ASSERT_EQ(0, SilentInstall());
    Uninstall(false);
    EXPECT_TRUE(test::FileExists(Installed(L"KXRaidSetup.exe")));
    // A script is written before the uninstaller ends and deletes itself
    // only after the uninstaller's folder: one started anyway would be
    // there by now, or the uninstaller would be gone.
    EXPECT_TRUE(test::FileExists(Installed(L"Uninstall\\setup.exe")));
    EXPECT_FALSE(test::FileExists(Installed(L"KxUninst.bat")));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey_));
}

TEST_F(InstallTest, ProgramPathsAreQuotedSoADecoyAtTheirFirstSpaceNeverStarts) {
    // An unquoted "C:\\Program Files\\AvE2E ...\\KXRaidSetup.exe" would start the
    // first of these that exists.
    std::wstring parent = installDir_.substr(0, installDir_.rfind(L'\\') + 1);
    const std::wstring decoys[] = {L"C:\\Program.exe", parent + L"AvE2E.exe"};
    for (const std::wstring& decoy : decoys)
        ASSERT_TRUE(::CopyFileW((test::TestBinDir() + L"\\decoy.exe").c_str(), decoy.c_str(), FALSE));
    struct RemoveDecoys {
        const std::wstring* decoys;
        ~RemoveDecoys() {
            for (int i = 0; i < 2; ++i) ::DeleteFileW(decoys[i].c_str());
        }
    } removeDecoys{decoys};

    WriteIni(1);
    ASSERT_EQ(0, SilentInstall());  // registers the service, launches the application
    EXPECT_TRUE(test::WaitFor([&] { return ApplicationWindow() != nullptr; }));
    ASSERT_EQ(0, SilentInstall());  // stops and removes the service first, closes the application
    EXPECT_TRUE(test::WaitFor([&] { return ApplicationWindow() != nullptr; }));

    std::string log = Log();
    EXPECT_EQ(std::string::npos, log.find("DECOY")) << log;
    std::wstring app = L"\"" + Installed(L"KXRaidSetup.exe") + L"\"";
    EXPECT_NE(std::string::npos, log.find(std::string(app.begin(), app.end())));
    if (test::ExpectedNt6()) {
        for (const char* step : {"\" -k", "\" -u", "\" -i"}) EXPECT_NE(std::string::npos, log.find(step)) << step;
        EXPECT_TRUE(test::WaitFor([&] { return ServiceState() == SERVICE_RUNNING; }));
    }
}

TEST_F(InstallTest, MissingImagesAreSkipped) {
    ::DeleteFileW((medium_ + L"\\Application\\Images\\Logo.bmp").c_str());
    ::DeleteFileW((medium_ + L"\\Application\\Images\\Busy.gif").c_str());
    ASSERT_EQ(0, SilentInstall());
    EXPECT_EQ(107u, Names(Installed(L"Images")).size());
    EXPECT_FALSE(test::FileExists(Installed(L"Images\\Logo.bmp")));
    EXPECT_TRUE(test::FileExists(Installed(L"Images\\Arrayvane.ico")));
}

TEST_F(InstallTest, InstallerUnderAnotherNameFails) {
    ASSERT_TRUE(::MoveFileW((medium_ + L"\\setup.exe").c_str(), (medium_ + L"\\install.exe").c_str()));
    // Its copy in Uninstall could not be made: refused before anything is
    // written, so no uninstall entry names a missing uninstaller.
    ExpectSilentFailure(L"\"" + medium_ + L"\\install.exe\" s", L"installation files");
    EXPECT_FALSE(test::FileExists(installDir_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey_));
}

TEST_F(InstallTest, EmptyFolderNameIsRefusedWithAMessage) {
    WriteIniWithFolder("");
    std::wstring programFiles = installDir_.substr(0, installDir_.rfind(L'\\'));
    size_t foldersBefore = Names(programFiles, true).size();
    DWORD entriesBefore = SubKeyCount(Prefix() + L"Uninstall");

    ExpectSilentFailure(L"\"" + medium_ + L"\\setup.exe\" s", L"APPFolderName");

    EXPECT_EQ(foldersBefore, Names(programFiles, true).size());
    EXPECT_FALSE(test::FileExists(programFiles + L"\\Uninstall"));
    EXPECT_EQ(entriesBefore, SubKeyCount(Prefix() + L"Uninstall"));
    EXPECT_FALSE(test::FileExists(desktopLink_));
    EXPECT_EQ(std::string::npos, Log().find("ArrSvcSetup"));
}

TEST_F(InstallTest, ScriptRemovesExactlyItsOwnFolderWhateverItsName) {
    // U+0163 is outside the console's code page: cast to a byte it would
    // read "c", best-fitted "t". Folders of those names must survive.
    std::wstring parent = installDir_.substr(0, installDir_.rfind(L'\\') + 1);
    folder_ = product_.folder = L"AvE2E \u0163 " + product_.tag;
    installDir_ = product_.installDir = parent + folder_;
    uninstallKey_ = product_.uninstallKey = Prefix() + L"Uninstall\\" + folder_;
    std::wstring text = L"\uFEFF[Customized_Setting]\r\nAPPFolderName=" + folder_ +
                        L"\r\n[Startup]\r\nAppName=" + appName_ + L"\r\n";
    test::WriteTextFile(medium_ + L"\\setup.ini",
                        std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    const std::wstring decoys[] = {parent + L"AvE2E c " + product_.tag, parent + L"AvE2E t " + product_.tag};
    for (const std::wstring& decoy : decoys) {
        ::CreateDirectoryW(decoy.c_str(), nullptr);
        ::CreateDirectoryW((decoy + L"\\Uninstall").c_str(), nullptr);
        test::WriteTextFile(decoy + L"\\Uninstall\\setup.ini", "keep");
    }

    ASSERT_EQ(0, SilentInstall());
    ASSERT_TRUE(test::FileExists(Installed(L"Uninstall\\setup.exe")));
    Uninstall(true);
    EXPECT_TRUE(test::WaitFor([&] { return !test::FileExists(Installed(L"Uninstall")); }, 60000));
    for (const std::wstring& decoy : decoys) {
        EXPECT_TRUE(test::FileExists(decoy + L"\\Uninstall\\setup.ini")) << decoy.c_str();
        test::RemoveTree(decoy);
    }
}

} // namespace
