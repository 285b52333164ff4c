#include "engine/SelfDeleteScript.h"

#include <shellapi.h>

#include "engine/layout/InstallFolder.h"
#include "engine/report/SetupLog.h"
#include "framework/Handle.h"


namespace {

// Appends to a ScriptText; once anything fails to fit or to encode, every
// later call fails too.
class ScriptWriter {
public:
    ScriptWriter(ScriptText& text, UINT codePage) : text_(text), codePage_(codePage) {
        text_.length = 0;
    }

    bool Add(const char* line) {
        int length = ::lstrlenA(line);
        if (!ok_ || length > Room()) return ok_ = false;
        ::CopyMemory(text_.bytes + text_.length, line, static_cast<size_t>(length));
        text_.length += length;
        return true;
    }

    bool AddNumber(int value) {
        char digits[16];
        ::wsprintfA(digits, "%d", value);
        return Add(digits);
    }

    // Adds `path` encoded in the code page, only when it decodes back to the
    // same text.
    bool AddPath(const wchar_t* path) {
        if (!ok_) return false;
        int length = ::lstrlenW(path);
        if (length == 0 || static_cast<size_t>(length) >= kPathChars) return ok_ = false;
        BOOL usedDefault = FALSE;
        bool utf = codePage_ == CP_UTF8 || codePage_ == CP_UTF7;
        char* out = text_.bytes + text_.length;
        int bytes = ::WideCharToMultiByte(codePage_, utf ? 0 : WC_NO_BEST_FIT_CHARS, path, length,
                                          out, Room(), nullptr, utf ? nullptr : &usedDefault);
        if (bytes <= 0 || usedDefault) return ok_ = false;
        wchar_t back[kPathChars];
        int chars = ::MultiByteToWideChar(codePage_, 0, out, bytes, back, kPathChars);
        if (chars != length || ::memcmp(back, path, sizeof(wchar_t) * length) != 0) return ok_ = false;
        text_.length += bytes;
        return true;
    }

    bool Ok() const { return ok_; }

private:
    int Room() const { return static_cast<int>(sizeof(text_.bytes)) - text_.length; }

    ScriptText& text_;
    UINT codePage_;
    bool ok_ = true;
};

bool EncodesExactly(const wchar_t* path, UINT codePage) {
    ScriptText scratch;
    return ScriptWriter(scratch, codePage).AddPath(path);
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
    if (EncodesExactly(installDir, codePage)) return CopyText(out, kPathChars, installDir);
    DWORD length = ::GetShortPathNameW(installDir, out, kPathChars);
    return length > 0 && length < kPathChars && EncodesExactly(out, codePage);
}

bool WriteWholeFile(const wchar_t* path, const ScriptText& text) {
    fw::Handle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), text.bytes, static_cast<DWORD>(text.length), &written, nullptr) &&
           written == static_cast<DWORD>(text.length);
}

} // namespace

bool ComposeSelfDeleteScript(const wchar_t* installDir, UINT codePage, ScriptText& text, int tries) {
    ScriptPaths p;
    if (!ComposePaths(installDir, p)) return false;
    ScriptWriter w(text, codePage);
    w.Add("set KX_TRIES=0\r\n");
    w.Add(":DEL_DIR\r\n");
    // A pause between tries, and an end to them: a file held open by
    // another program must not keep a hidden loop spinning for ever.
    w.Add("set /a KX_TRIES+=1\r\n");
    w.Add("IF %KX_TRIES% GTR "), w.AddNumber(tries), w.Add(" GOTO :EOF\r\n");
    w.Add("ping -n 2 127.0.0.1 >nul\r\n");
    // /f: the uninstaller's own files may be read-only (an earlier install
    // from a CD copied them so).
    w.Add("del /f /q \""), w.AddPath(p.uninstallDir), w.Add("\\*\"\r\n");
    w.Add("rd /s /q \""), w.AddPath(p.uninstallDir), w.Add("\"\r\n");
    w.Add("IF EXIST \""), w.AddPath(p.setupExe), w.Add("\" GOTO DEL_DIR\r\n");
    w.Add("IF EXIST \""), w.AddPath(p.setupIni), w.Add("\" GOTO DEL_DIR\r\n");
    // InstallDir cannot go while this script is in it (cmd holds a running
    // script open) or is anyone's working folder: a second cmd, started
    // from outside it, removes it a moment after this one has deleted
    // itself and ended. The folder goes only if it is empty. It gets a
    // console of its own (minimised): one that shared this script's would
    // end with it.
    // A program file that a failed install found in use and moved aside.
    w.Add("del /f /q \""), w.AddPath(installDir), w.Add("\\*.avsetup-del\"\r\n");
    w.Add("cd /d \"%SystemRoot%\"\r\n");
    w.Add("start \"\" /min cmd /c ping -n 3 127.0.0.1 ^>nul ^& rd \""), w.AddPath(installDir), w.Add("\"\r\n");
    w.Add("del \""), w.AddPath(p.script), w.Add("\"\r\n");
    return w.Ok();
}

bool WriteSelfDeleteScript(const SetupConfig& config) {
    if (InstallFolderProblem(config)) return false;
    UINT codePage = ::GetOEMCP();
    wchar_t folder[kPathChars];
    ScriptText text;
    if (!ScriptFolderForm(config.InstallDir, codePage, folder) ||
        !ComposeSelfDeleteScript(folder, codePage, text)) {
        return false;
    }
    wchar_t scriptPath[kPathChars];
    if (!FormatPath(scriptPath, L"%s\\%s", config.InstallDir, kSelfDeleteScriptName) ||
        !WriteWholeFile(scriptPath, text)) {
        return false;
    }
    const INT_PTR started = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", scriptPath, nullptr, config.InstallDir, SW_HIDE));
    LogLine(L"Run: %s (%s), which removes the uninstaller's folder and InstallDir once this run has ended",
            scriptPath, started > 32 ? L"started" : L"could not be started");
    return true;
}
