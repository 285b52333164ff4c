#pragma once
#include "engine/config/Paths.h"

// The values of setup.ini, with their defaults, and the installation folder
// derived from them. A plain value record: each user reads its own copy.
struct SetupConfig {
    wchar_t InstallDir[kPathChars];
    wchar_t APPFileName[kPathChars];
    wchar_t AppName[kPathChars];
    wchar_t CompanyName[kPathChars];
    wchar_t APPFolderName[kPathChars];
    wchar_t Version[kPathChars];
    int LaunchAPInSilentMode;
    // How long, in seconds, each run of the service tool may take before
    // it is ended and its step counts as failed.
    int ServiceToolTimeout;
    // How long, in seconds, the installer waits for a service to stop, to
    // be removed, or for the application to end, before it goes on.
    int StopTimeout;
};

constexpr int kDefaultTimeout = 30;
constexpr int kLongestTimeout = 600;

// A time-out as setup.ini gives it (0 where it is missing or not a
// number): 1 to 600 seconds as written, more taken as 600, anything else
// the default 30.
int TimeoutSecondsOf(int written);

inline DWORD ServiceToolBoundMs(const SetupConfig& config) {
    return static_cast<DWORD>(config.ServiceToolTimeout) * 1000;
}

inline DWORD StopBoundMs(const SetupConfig& config) { return static_cast<DWORD>(config.StopTimeout) * 1000; }

// Reads "<sourceDir>setup.ini" (sourceDir ends with a backslash). A missing
// file or key gives the default; a key present but empty leaves its field
// empty. APPFolderName and APPFileName must be plain names; any other value
// is taken as empty, and so is an InstallDir that would not fit.
void ReadSetupConfig(const wchar_t* sourceDir, SetupConfig& config, const wchar_t* fileName = L"setup.ini");

// The installation folder for a folder name on this machine: the drive of
// the Windows directory, the Program Files folder chosen by IsWow64 and the
// system language, and the name. False (and `out` empty) if it does not fit.
bool ComputeInstallDir(const wchar_t* folderName, wchar_t* out);

// The same rule with its inputs given.
bool ComposeInstallDir(const wchar_t* driveRoot, int wow64, unsigned short langId,
                       const wchar_t* folderName, wchar_t* out);

// "Program Files (x86)" under WOW64, "Programme" for German, else
// "Program Files".
const wchar_t* ProgramFilesName(int wow64, unsigned short langId);
