#include "engine/Transaction.h"

#include "engine/EventLog.h"
#include "engine/InstallFiles.h"
#include "engine/Platform.h"
#include "engine/Process.h"
#include "engine/Registry.h"
#include "engine/Shortcuts.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"

const wchar_t kNewCopySuffix[] = L".avsetup-new";
const wchar_t kKeptSuffix[] = L".avsetup-old";

namespace {

const wchar_t kJournalName[] = L"avsetup.journal";
// Where a file that is in use cannot be deleted, it is moved out of the way
// under this name (its folder goes with the uninstall's script).
const wchar_t kDiscardSuffix[] = L".avsetup-del";

bool EndsWith(const wchar_t* text, const wchar_t* end) {
    const int length = ::lstrlenW(text), endLength = ::lstrlenW(end);
    return length >= endLength && ::lstrcmpiW(text + length - endLength, end) == 0;
}

std::wstring With(const std::wstring& path, const wchar_t* suffix) { return path + suffix; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Remove(const std::wstring& path) {
    MakeWritable(path.c_str());
    return ::DeleteFileW(path.c_str()) != FALSE;
}

bool JournalPath(const wchar_t* installDir, wchar_t (&out)[kPathChars]) {
    return FormatPath(out, L"%s\\%s", installDir, kJournalName);
}

SavedPath Saved(const wchar_t* path, bool folder) {
    SavedPath saved;
    saved.path = path;
    saved.folder = folder;
    saved.existed = PathExists(path);
    return saved;
}

// The values of a key (all of them, or the one named), as they are now.
SavedKey SavedKeyOf(const wchar_t* path, const wchar_t* value) {
    SavedKey saved;
    saved.path = path;
    saved.value = value;
    fw::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ) != ERROR_SUCCESS) return saved;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        BYTE data[2048];
        DWORD nameChars = 256, type = 0, bytes = sizeof data;
        const wchar_t* wanted = value[0] ? value : nullptr;
        LONG result = wanted ? ::RegQueryValueExW(key.Get(), wanted, nullptr, &type, data, &bytes)
                             : ::RegEnumValueW(key.Get(), index, name, &nameChars, nullptr, &type, data, &bytes);
        if (result != ERROR_SUCCESS) break;
        SavedValue saved_value;
        saved_value.name = wanted ? wanted : name;
        saved_value.type = type;
        saved_value.data.assign(data, data + bytes);
        saved.values.push_back(saved_value);
        if (wanted) break;
    }
    saved.existed = !value[0] || !saved.values.empty();
    return saved;
}

void RestoreKey(const SavedKey& saved) {
    if (saved.value.empty()) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, saved.path.c_str());
    fw::RegKey key;
    if (!saved.existed) {
        if (!saved.value.empty() && key.Open(HKEY_LOCAL_MACHINE, saved.path.c_str(), KEY_WRITE) == ERROR_SUCCESS)
            ::RegDeleteValueW(key.Get(), saved.value.c_str());
        return;
    }
    if (key.Create(HKEY_LOCAL_MACHINE, saved.path.c_str(), KEY_WRITE) != ERROR_SUCCESS) return;
    for (const SavedValue& value : saved.values) {
        ::RegSetValueExW(key.Get(), value.name.c_str(), 0, value.type,
                         value.data.data(), static_cast<DWORD>(value.data.size()));
    }
}

// Moves a file out of the way of the one that goes back to its name: a
// delete, or, where it is in use (the uninstaller running), a rename.
void Clear(const std::wstring& path) {
    if (!Exists(path) || Remove(path)) return;
    const std::wstring discard = With(path, kDiscardSuffix);
    Remove(discard);
    ::MoveFileExW(path.c_str(), discard.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void RestoreFile(const SavedPath& saved) {
    Remove(With(saved.path, kNewCopySuffix));
    const std::wstring kept = With(saved.path, kKeptSuffix);
    if (!saved.existed) {
        Clear(saved.path);
    } else if (Exists(kept)) {
        Clear(saved.path);
        ::MoveFileExW(kept.c_str(), saved.path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

bool ReadText(const wchar_t* path, std::wstring& text) {
    fw::Handle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) return false;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > (1 << 20) || size.QuadPart % 2) return false;
    text.resize(static_cast<size_t>(size.QuadPart / 2));
    DWORD read = 0;
    return ::ReadFile(file.Get(), &text[0], static_cast<DWORD>(size.QuadPart), &read, nullptr) &&
           read == size.QuadPart;
}

void ServiceToolRun(const wchar_t* installDir, const wchar_t* args) {
    if (IsNt6) RunServiceToolToEnd(installDir, args);
}

bool ServiceToolThere(const wchar_t* installDir) {
    wchar_t tool[kPathChars];
    return FormatPath(tool, L"%s\\%s", installDir, kServiceTool) && PathExists(tool);
}

} // namespace

bool IsTransactionName(const wchar_t* name) {
    return EndsWith(name, kNewCopySuffix) || EndsWith(name, kKeptSuffix) || EndsWith(name, kDiscardSuffix) ||
           ::lstrcmpiW(name, kJournalName) == 0;
}

Journal NoteStateBefore(const SetupConfig& config) {
    Journal journal;
    journal.serviceBefore = IsNt6 && ServiceToolThere(config.InstallDir);
    journal.paths.push_back(Saved(config.InstallDir, true));
    wchar_t path[kPathChars];
    for (const wchar_t* folder : InstallFolders) {
        if (FormatPath(path, L"%s\\%s", config.InstallDir, folder)) journal.paths.push_back(Saved(path, true));
    }
    InstallFile files[kInstallFileCount];
    ListInstallFiles(config, files);
    for (const InstallFile& file : files) {
        if (TargetPathOf(config.InstallDir, file, path)) journal.paths.push_back(Saved(path, false));
    }
    ShortcutPaths links;
    if (FindShortcutPaths(config.AppName, links)) {
        journal.paths.push_back(Saved(links.desktopLink, false));
        journal.paths.push_back(Saved(links.group, true));
        journal.paths.push_back(Saved(links.applicationLink, false));
        journal.paths.push_back(Saved(links.uninstallLink, false));
    }
    wchar_t key[kKeyPathChars];
    if (UninstallKeyPath(config, key)) journal.keys.push_back(SavedKeyOf(key, L""));
    if (!IsNt6 && RunKeyPath(key)) journal.keys.push_back(SavedKeyOf(key, config.AppName));
    journal.keys.push_back(SavedKeyOf(kEventSourceKey, L""));
    // Copies of ours left by an earlier run are not the files it kept.
    for (const SavedPath& saved : journal.paths) {
        if (saved.folder) continue;
        Remove(With(saved.path, kNewCopySuffix));
        Remove(With(saved.path, kKeptSuffix));
    }
    return journal;
}

bool WriteJournal(const wchar_t* installDir, const Journal& journal) {
    wchar_t path[kPathChars];
    if (!JournalPath(installDir, path)) return false;
    if (!PathExists(installDir)) ::CreateDirectoryW(installDir, nullptr);
    const std::wstring text = FormatJournal(journal);
    fw::Handle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const bool ok = file.IsValid() && ::WriteFile(file.Get(), text.data(), bytes, &written, nullptr) &&
                    written == bytes && ::FlushFileBuffers(file.Get());
    file.Close();
    if (!ok) {
        ::DeleteFileW(path);
        // A folder made for the journal alone goes with it.
        ::RemoveDirectoryW(installDir);
    }
    return ok;
}

bool PlaceFile(const wchar_t* source, const wchar_t* target) {
    const std::wstring newCopy = With(target, kNewCopySuffix), kept = With(target, kKeptSuffix);
    Remove(newCopy);
    if (!::CopyFileW(source, newCopy.c_str(), FALSE)) {
        const DWORD error = ::GetLastError();
        Remove(newCopy);  // a copy cut off by a full disk
        ::SetLastError(error);
        return false;
    }
    // What is installed must be replaceable and removable: a copy from a CD
    // keeps the medium's read-only attribute.
    MakeWritable(newCopy.c_str());
    if (!KeepAside(target)) {
        const DWORD error = ::GetLastError();
        Remove(newCopy);
        ::SetLastError(error);
        return false;
    }
    return ::MoveFileW(newCopy.c_str(), target) != FALSE;
}

bool KeepAside(const wchar_t* path) {
    if (!Exists(path)) return true;
    return ::MoveFileExW(path, With(path, kKeptSuffix).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

void CommitInstall(const wchar_t* installDir, const Journal& journal) {
    for (const SavedPath& saved : journal.paths) {
        if (!saved.folder && saved.existed) Remove(With(saved.path, kKeptSuffix));
    }
    wchar_t path[kPathChars];
    if (JournalPath(installDir, path)) ::DeleteFileW(path);
}

void RollBackInstall(const wchar_t* installDir, const Journal& journal, bool takeDownService) {
    // The service runs the tool's own file, which goes back below.
    if (takeDownService && ServiceToolThere(installDir)) {
        ServiceToolRun(installDir, L"-k");
        ServiceToolRun(installDir, L"-u");
    }
    for (auto saved = journal.paths.rbegin(); saved != journal.paths.rend(); ++saved) {
        if (!saved->folder) RestoreFile(*saved);
    }
    for (const SavedKey& key : journal.keys) RestoreKey(key);
    if (journal.serviceBefore) ServiceToolRun(installDir, L"-i");
    wchar_t path[kPathChars];
    if (JournalPath(installDir, path)) ::DeleteFileW(path);
    // Folders it made go once empty; one that holds a user's file stays.
    for (auto saved = journal.paths.rbegin(); saved != journal.paths.rend(); ++saved) {
        if (saved->folder && !saved->existed) ::RemoveDirectoryW(saved->path.c_str());
    }
}

bool HadInstallation(const Journal& journal) {
    for (const SavedPath& saved : journal.paths) {
        if (!saved.folder && saved.existed) return true;
    }
    return false;
}

bool RecoverInterruptedInstall(const SetupConfig& config) {
    wchar_t path[kPathChars];
    if (!config.InstallDir[0] || !JournalPath(config.InstallDir, path) || !PathExists(path)) return false;
    std::wstring text;
    Journal journal;
    if (!ReadText(path, text) || !ParseJournal(text, journal)) {
        // Cut off while it was written: killed before its first change.
        ::DeleteFileW(path);
        return false;
    }
    RollBackInstall(config.InstallDir, journal, true);
    ReportRollbackEvent(config.AppName, HadInstallation(journal));
    return true;
}
