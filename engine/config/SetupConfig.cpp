#include "engine/config/SetupConfig.h"

#include <cstring>

#include "engine/config/Platform.h"

namespace {

const wchar_t kCustomized[] = L"Customized_Setting";
const wchar_t kStartup[] = L"Startup";

class Profile {
public:
    Profile(const wchar_t* sourceDir, const wchar_t* fileName)
        : usable_(FormatPath(path_, L"%s%s", sourceDir, fileName)) {}

    // Copies the value into `field` only when the read gives a non-empty one.
    void ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                    wchar_t* field) const {
        wchar_t value[kPathChars] = {};
        DWORD length = Read(section, key, fallback, value);
        if (length != 0) CopyText(field, kPathChars, value);
    }

    DWORD Read(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
               wchar_t* value) const {
        // A folder whose profile path does not fit is read as if it held no
        // setup.ini, rather than reading a file of a cut name.
        if (!usable_) return CopyText(value, kPathChars, fallback) ? ::lstrlenW(value) : 0;
        return ::GetPrivateProfileStringW(section, key, fallback, value, kPathChars, path_);
    }

    int ReadInt(const wchar_t* section, const wchar_t* key) const {
        return usable_ ? static_cast<int>(::GetPrivateProfileIntW(section, key, 0, path_)) : 0;
    }

private:
    wchar_t path_[kPathChars];
    bool usable_;
};

void ReadFolderName(const Profile& profile, SetupConfig& config) {
    wchar_t value[kPathChars] = {};
    if (profile.Read(kCustomized, L"APPFolderName", L"HBC71K", value) == 0) return;
    if (!IsPlainName(value)) return;
    if (!ComputeInstallDir(value, config.InstallDir)) return;
    CopyText(config.APPFolderName, kPathChars, value);
}

} // namespace

void ReadSetupConfig(const wchar_t* sourceDir, SetupConfig& config, const wchar_t* fileName) {
    std::memset(&config, 0, sizeof config);
    Profile profile(sourceDir, fileName);
    ReadFolderName(profile, config);
    profile.ReadString(kCustomized, L"APPFileName", L"KXRaidSetup.exe", config.APPFileName);
    if (!IsPlainName(config.APPFileName)) config.APPFileName[0] = L'\0';
    profile.ReadString(kStartup, L"AppName", L"Arrayvane", config.AppName);
    profile.ReadString(kStartup, L"CompanyName", L"Veltro Technology Corp.", config.CompanyName);
    profile.ReadString(kStartup, L"Version", L"1.00.00", config.Version);
    config.LaunchAPInSilentMode = profile.ReadInt(kCustomized, L"LaunchAPInSilentMode") != 0 ? 1 : 0;
    config.ServiceToolTimeout = TimeoutSecondsOf(profile.ReadInt(kCustomized, L"ServiceToolTimeout"));
    config.StopTimeout = TimeoutSecondsOf(profile.ReadInt(kCustomized, L"StopTimeout"));
}

int TimeoutSecondsOf(int written) {
    if (written <= 0) return kDefaultTimeout;
    return written < kLongestTimeout ? written : kLongestTimeout;
}

const wchar_t* ProgramFilesName(int wow64, unsigned short langId) {
    if (wow64) return L"Program Files (x86)";
    if ((langId & 0xFF) == 0x07) return L"Programme";
    return L"Program Files";
}

bool ComposeInstallDir(const wchar_t* driveRoot, int wow64, unsigned short langId,
                       const wchar_t* folderName, wchar_t* out) {
    return FormatPathN(out, kPathChars, L"%s%s\\%s", driveRoot,
                       ProgramFilesName(wow64, langId), folderName);
}

bool ComputeInstallDir(const wchar_t* folderName, wchar_t* out) {
    wchar_t windowsDir[kPathChars] = {};
    UINT length = ::GetWindowsDirectoryW(windowsDir, kPathChars);
    if (length == 0 || length >= kPathChars) {
        out[0] = L'\0';
        return false;
    }
    wchar_t driveRoot[kPathChars];
    GetDirectoryPart(windowsDir, driveRoot);
    return ComposeInstallDir(driveRoot, IsWow64, ::GetSystemDefaultLangID(), folderName, out);
}
