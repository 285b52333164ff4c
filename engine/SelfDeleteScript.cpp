#include "engine/SelfDeleteScript.h"

#include <shellapi.h>

#include "engine/InstallFolder.h"
#include "framework/Handle.h"

const wchar_t kSelfDeleteScriptName[] = L"KxUninst.bat";

namespace {

// Encodes `path` in `codePage` only when it decodes back to the same text.
bool EncodeExactly(const wchar_t* path, UINT codePage, std::string& out) {
    int length = ::lstrlenW(path);
    if (length == 0) return false;
    BOOL usedDefault = FALSE;
    bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
    int bytes = ::WideCharToMultiByte(codePage, utf ? 0 : WC_NO_BEST_FIT_CHARS, path, length,
                                      nullptr, 0, nullptr, utf ? nullptr : &usedDefault);
    if (bytes <= 0 || usedDefault) return false;
    out.assign(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, utf ? 0 : WC_NO_BEST_FIT_CHARS, path, length, &out[0], bytes,
                          nullptr, nullptr);
    std::wstring back(static_cast<size_t>(length) + 1, L'\0');
    int chars = ::MultiByteToWideChar(codePage, 0, out.data(), bytes, &back[0], length + 1);
    return chars == length && back.compare(0, length, path) == 0;
}

struct ScriptPaths {
    wchar_t uninstallDir[kPathChars];
    wchar_t setupExe[kPathChars];
    wchar_t setupIni[kPathChars];
    wchar_t script[kPathChars];
};

bool ComposePaths(const wchar_t* dir, ScriptPaths& p) {
    return FormatPath(p.uninstallDir, L"%s\\%s", dir, L"Uninstall") &&
           FormatPath(p.setupExe, L"%s\\%s\\setup.exe", dir, L"Uninstall") &&
           FormatPath(p.setupIni, L"%s\\%s\\setup.ini", dir, L"Uninstall") &&
           FormatPath(p.script, L"%s\\%s", dir, kSelfDeleteScriptName);
}

bool ScriptFolderForm(const wchar_t* installDir, UINT codePage, wchar_t* out) {
    std::string unused;
    if (EncodeExactly(installDir, codePage, unused)) return CopyText(out, kPathChars, installDir);
    DWORD length = ::GetShortPathNameW(installDir, out, kPathChars);
    return length > 0 && length < kPathChars && EncodeExactly(out, codePage, unused);
}

bool WriteWholeFile(const wchar_t* path, const std::string& text) {
    fw::Handle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

} // namespace

bool ComposeSelfDeleteScript(const wchar_t* installDir, UINT codePage, std::string& text, int tries) {
    ScriptPaths p;
    std::string dir, uninstallDir, setupExe, setupIni, script;
    if (!ComposePaths(installDir, p) || !EncodeExactly(installDir, codePage, dir) ||
        !EncodeExactly(p.uninstallDir, codePage, uninstallDir) ||
        !EncodeExactly(p.setupExe, codePage, setupExe) ||
        !EncodeExactly(p.setupIni, codePage, setupIni) ||
        !EncodeExactly(p.script, codePage, script)) {
        return false;
    }
    const std::string crlf = "\r\n";
    text = "set KX_TRIES=0" + crlf +
           ":DEL_DIR" + crlf +
           // A pause between tries, and an end to them: a file held open by
           // another program must not keep a hidden loop spinning for ever.
           "set /a KX_TRIES+=1" + crlf +
           "IF %KX_TRIES% GTR " + std::to_string(tries) + " GOTO :EOF" + crlf +
           "ping -n 2 127.0.0.1 >nul" + crlf +
           "rd /s /q \"" + uninstallDir + "\"" + crlf +
           "IF EXIST \"" + setupExe + "\" GOTO DEL_DIR" + crlf +
           "IF EXIST \"" + setupIni + "\" GOTO DEL_DIR" + crlf +
           "rd \"" + dir + "\"" + crlf +
           "del \"" + script + "\"" + crlf;
    return true;
}

bool WriteSelfDeleteScript(const SetupConfig& config) {
    if (InstallFolderProblem(config)) return false;
    UINT codePage = ::GetOEMCP();
    wchar_t folder[kPathChars];
    std::string text;
    if (!ScriptFolderForm(config.InstallDir, codePage, folder) ||
        !ComposeSelfDeleteScript(folder, codePage, text)) {
        return false;
    }
    wchar_t scriptPath[kPathChars];
    if (!FormatPath(scriptPath, L"%s\\%s", config.InstallDir, kSelfDeleteScriptName) ||
        !WriteWholeFile(scriptPath, text)) {
        return false;
    }
    ::ShellExecuteW(nullptr, L"open", scriptPath, nullptr, config.InstallDir, SW_HIDE);
    return true;
}
