#include "app/RunLogHeader.h"

#include "engine/report/EventLog.h"
#include "engine/config/Outcome.h"
#include "engine/config/Platform.h"
#include "engine/report/SetupLog.h"
#include "framework/Handle.h"

namespace {

// The file version from the program's own version resource, without
// version.dll: the fixed part follows the signature 0xFEEF04BD.
void OwnFileVersion(wchar_t (&out)[32]) {
    CopyText(out, 32, L"unknown");
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
    HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    const DWORD size = found ? ::SizeofResource(nullptr, found) : 0;
    for (DWORD at = 0; bytes && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        const VS_FIXEDFILEINFO* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(bytes + at);
        if (info->dwSignature != 0xFEEF04BD) continue;
        FormatPath(out, L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                   HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
        return;
    }
}

// "elevated", "not elevated", or before NT 6 (no elevation) nothing.
const wchar_t* Elevation() {
    if (!IsNt6) return L"";
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return L", elevation not known";
    fw::Handle owner(token);
    DWORD elevated = 0, bytes = 0;
    const auto kTokenElevation = static_cast<TOKEN_INFORMATION_CLASS>(20);
    if (!::GetTokenInformation(token, kTokenElevation, &elevated, sizeof elevated, &bytes))
        return L", elevation not known";
    return elevated ? L", elevated" : L", not elevated";
}

} // namespace

void LogRunHeader(const SetupConfig& config, RunMode mode) {
    wchar_t version[32];
    OwnFileVersion(version);
    wchar_t programPath[kPathChars] = {};
    ::GetModuleFileNameW(nullptr, programPath, kPathChars);
    LogLine(L"%s %s: %s", config.AppName, config.Version, RunName(IsUninstallRun(mode), IsSilentRun(mode)));
    LogLine(L"Installer: %s, file version %s", programPath, version);
    LogLine(L"Command line: %s", ::GetCommandLineW());
    OSVERSIONINFOW os = {};
    os.dwOSVersionInfoSize = sizeof os;
    ::GetVersionExW(&os);
    LogLine(L"Windows %lu.%lu build %lu %s%s", os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber,
            os.szCSDVersion, IsWow64 ? L", a 32-bit program under WOW64" : L"");
    wchar_t user[257] = {};
    DWORD chars = 257;
    if (!::GetUserNameW(user, &chars)) CopyText(user, 257, L"(not known)");
    LogLine(L"User: %s%s", user, Elevation());
    LogLine(L"InstallDir: %s", config.InstallDir[0] ? config.InstallDir : L"(none: the folder name is unsafe)");
    // The wizard logs the module it loads; a silent run shows no texts.
    if (IsSilentRun(mode)) LogLine(L"Language module: none");
}

const wchar_t* OutcomeOfExitCode(DWORD exitCode) {
    switch (exitCode) {
    case kExitDone: return L"done";
    case kExitRestartRequired: return L"done; a restart of the computer completes it";
    case kExitNewerInstalled: return L"refused: a newer version is installed";
    case kExitAlreadyRunning: return L"not run: another copy of the installer is at work";
    default: return L"failed";
    }
}
