#include "tools/MediumCheck.h"

#include <windows.h>

#include <cwchar>

#include "engine/layout/FileTables.h"
#include "engine/layout/InstallFiles.h"
#include "engine/layout/InstallFolder.h"
#include "engine/layout/MediumImages.h"
#include "engine/config/Paths.h"
#include "engine/system/Process.h"
#include "engine/config/SetupConfig.h"
#include "engine/config/Version.h"

namespace {

class Report {
public:
    void Error(const std::wstring& text) { findings_.push_back({Severity::Error, text}); }
    void Warning(const std::wstring& text) { findings_.push_back({Severity::Warning, text}); }
    std::vector<Finding> Take() { return std::move(findings_); }

private:
    std::vector<Finding> findings_;
};

bool Exists(const std::wstring& path) { return PathExists(path.c_str()); }

// The files the installer copies or needs; images and all but the English
// module are skipped or replaced when missing, so they are warnings.
void CheckFiles(const std::wstring& dir, const SetupConfig& config, Report& report) {
    if (!Exists(dir + L"setup.exe")) report.Error(L"missing setup.exe");
    if (!Exists(dir + L"setup.ini")) report.Warning(L"missing setup.ini: every value takes its default");
    for (int i = 0; i < kLanguageModuleCount; ++i) {
        const std::wstring module = LanguageModuleTable[i];
        if (Exists(dir + module)) continue;
        if (i == 0) report.Error(L"missing " + module + L": the wizard and the uninstaller need it");
        else report.Warning(L"missing " + module + L": its users get the English wizard");
    }
    // The Application folder's files, from the install's own copy table.
    InstallFile files[kInstallFileCount];
    ListInstallFiles(config, files);
    bool present[kImageFileCount];
    FindMediumImages(dir.c_str(), present);
    int image = 0;
    for (const InstallFile& file : files) {
        if (!file.sourceFolder[0]) continue;
        const std::wstring name = L"Application\\" + std::wstring(file.name);
        if (file.when == CopyWhen::IfOnMedium) {
            if (!present[image++]) report.Warning(L"missing " + name + L": the install skips it");
        } else if (file.name[0] && !Exists(dir + name)) {
            report.Error(L"missing " + name);
        }
    }
}

struct KnownKeys {
    const wchar_t* section;
    std::vector<const wchar_t*> keys;
};

const KnownKeys kKnownKeys[] = {
    {L"Customized_Setting", {L"APPFolderName", L"APPFileName", L"LaunchAPInSilentMode", L"ServiceToolTimeout",
                              L"StopTimeout"}},
    {L"Startup", {L"AppName", L"CompanyName", L"Version"}},
};

const KnownKeys* FindSection(const wchar_t* section) {
    for (const auto& known : kKnownKeys) {
        if (::lstrcmpiW(known.section, section) == 0) return &known;
    }
    return nullptr;
}

bool IsKnownKey(const KnownKeys& known, const std::wstring& key) {
    for (const wchar_t* name : known.keys) {
        if (::lstrcmpiW(name, key.c_str()) == 0) return true;
    }
    return false;
}

// The entries of a double-NUL-terminated list, as the profile functions give them.
std::vector<std::wstring> Entries(const wchar_t* list) {
    std::vector<std::wstring> entries;
    for (const wchar_t* entry = list; *entry; entry += std::wcslen(entry) + 1) entries.push_back(entry);
    return entries;
}

void CheckIniKeys(const std::wstring& ini, Report& report) {
    std::vector<wchar_t> buffer(32768);
    ::GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), ini.c_str());
    for (const std::wstring& section : Entries(buffer.data())) {
        const KnownKeys* known = FindSection(section.c_str());
        if (!known) {
            report.Warning(L"setup.ini: unknown section [" + section + L"]");
            continue;
        }
        std::vector<wchar_t> keys(32768);
        ::GetPrivateProfileStringW(section.c_str(), nullptr, L"", keys.data(), static_cast<DWORD>(keys.size()),
                                   ini.c_str());
        for (const std::wstring& key : Entries(keys.data())) {
            if (!IsKnownKey(*known, key)) report.Warning(L"setup.ini: unknown key " + key + L" in [" + section + L"]");
        }
    }
}

// The installer's own reading of setup.ini, and its own refusal.
void CheckSetupIni(const std::wstring& dir, const SetupConfig& config, Report& report) {
    if (!Exists(dir + L"setup.ini")) return;
    if (const wchar_t* problem = InstallFolderProblem(config)) report.Error(L"setup.ini: the installer refuses it: " + std::wstring(problem));
    CheckIniKeys(dir + L"setup.ini", report);
}

void CheckLanguageModule(const std::wstring& dir, const std::wstring& module, Report& report) {
    HMODULE handle = ::LoadLibraryExW((dir + module).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!handle) {
        report.Error(module + L": does not load as a data file");
        return;
    }
    for (int id = 1; id <= kLanguageTextCount; ++id) {
        wchar_t text[8];
        if (::LoadStringW(handle, static_cast<UINT>(id), text, 8) == 0)
            report.Error(module + L": lacks text " + std::to_wstring(id));
    }
    ::FreeLibrary(handle);
}

bool ReadFileVersion(const std::wstring& path, unsigned short (&version)[4]) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<unsigned char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return false;
    version[0] = HIWORD(info->dwFileVersionMS);
    version[1] = LOWORD(info->dwFileVersionMS);
    version[2] = HIWORD(info->dwFileVersionLS);
    version[3] = LOWORD(info->dwFileVersionLS);
    return true;
}

std::wstring VersionText(const unsigned short (&v)[4]) {
    return std::to_wstring(v[0]) + L"." + std::to_wstring(v[1]) + L"." + std::to_wstring(v[2]) + L"." +
           std::to_wstring(v[3]);
}

// setup.exe and every module carry one version, the one setup.ini names.
void CheckVersions(const std::wstring& dir, const SetupConfig& config, Report& report) {
    unsigned short setup[4];
    if (!Exists(dir + L"setup.exe")) return;
    if (!ReadFileVersion(dir + L"setup.exe", setup)) {
        report.Error(L"setup.exe: no version resource");
        return;
    }
    if (!VersionsAgree(config.Version, setup))
        report.Error(L"setup.ini: Version " + std::wstring(config.Version) + L" differs from setup.exe's " +
                     VersionText(setup));
    for (const auto& name : LanguageModuleTable) {
        const std::wstring module = name;
        unsigned short version[4];
        if (!Exists(dir + module)) continue;
        if (!ReadFileVersion(dir + module, version)) {
            report.Error(module + L": no version resource");
        } else if (std::equal(version, version + 4, setup) == false) {
            report.Error(module + L": version " + VersionText(version) + L" differs from setup.exe's " +
                         VersionText(setup));
        }
    }
}

} // namespace

bool VersionsAgree(const std::wstring& iniVersion, const unsigned short (&fileVersion)[4]) {
    DWORD parts[4];
    if (!ParseVersion(iniVersion.c_str(), parts)) return false;
    for (int part = 0; part < 4; ++part) {
        if (parts[part] != fileVersion[part]) return false;
    }
    return true;
}

std::vector<Finding> CheckMedium(const std::wstring& sourceDir) {
    Report report;
    SetupConfig config;
    ReadSetupConfig(sourceDir.c_str(), config);
    CheckFiles(sourceDir, config, report);
    CheckSetupIni(sourceDir, config, report);
    for (const auto& module : LanguageModuleTable) {
        if (Exists(sourceDir + module)) CheckLanguageModule(sourceDir, module, report);
    }
    CheckVersions(sourceDir, config, report);
    return report.Take();
}
