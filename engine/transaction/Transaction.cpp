#include "engine/transaction/Transaction.h"

#include <initializer_list>
#include <memory>

#include "engine/report/EventLog.h"
#include "engine/layout/InstallFiles.h"
#include "engine/config/Platform.h"
#include "engine/system/Process.h"
#include "engine/system/Registry.h"
#include "engine/system/RestartQueue.h"
#include "engine/report/SetupLog.h"
#include "engine/system/Shortcuts.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"

const wchar_t kNewCopySuffix[] = L".avsetup-new";
const wchar_t kKeptSuffix[] = L".avsetup-old";
const wchar_t kDiscardSuffix[] = L".avsetup-del";

namespace {

const wchar_t kJournalName[] = L"avsetup.journal";

// `path` with one of our suffixes; empty when it does not fit, which names
// no file.
struct Beside {
    Beside(const wchar_t* path, const wchar_t* suffix) { FormatPath(text, L"%s%s", path, suffix); }
    wchar_t text[kPathChars];
};

bool Exists(const wchar_t* path) { return path[0] && ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

bool Remove(const wchar_t* path) {
    if (!path[0]) return false;
    MakeWritable(path);
    return ::DeleteFileW(path) != FALSE;
}

bool JournalPath(const wchar_t* installDir, wchar_t (&out)[kPathChars]) {
    return FormatPath(out, L"%s\\%s", installDir, kJournalName);
}

bool Save(Journal& journal, const wchar_t* path, bool folder) {
    return AddSavedPath(journal, path, folder, Exists(path));
}

// The values of a key (all of them, or the one named), as they are now.
// A value too large for the journal is not kept.
bool SaveKey(Journal& journal, const wchar_t* path, const wchar_t* value) {
    if (journal.keyCount >= kJournalKeyCount) return false;
    SavedKey& saved = journal.keys[journal.keyCount++];
    saved.valueCount = 0;
    if (!CopyText(saved.path, kJournalKeyChars, path) || !CopyText(saved.value, kPathChars, value)) return false;
    fw::RegKey key;
    saved.existed = key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ) == ERROR_SUCCESS;
    for (DWORD index = 0; saved.existed && saved.valueCount < kJournalValueCount; ++index) {
        SavedValue& v = saved.values[saved.valueCount];
        DWORD chars = kPathChars;
        v.bytes = kJournalValueBytes;
        LONG result = value[0] ? ::RegQueryValueExW(key.Get(), value, nullptr, &v.type, v.data, &v.bytes)
                               : ::RegEnumValueW(key.Get(), index, v.name, &chars, nullptr, &v.type, v.data, &v.bytes);
        if (result == ERROR_NO_MORE_ITEMS || (value[0] && result != ERROR_SUCCESS && result != ERROR_MORE_DATA)) break;
        if (value[0]) CopyText(v.name, kPathChars, value);
        if (result == ERROR_SUCCESS) ++saved.valueCount;
        if (value[0]) break;
    }
    if (value[0]) saved.existed = saved.valueCount > 0;
    return true;
}

void RestoreKey(const SavedKey& saved) {
    LogLine(L"Undo: registry %s%s%s put back as it was (%s)", saved.path, saved.value[0] ? L" value " : L"",
            saved.value, saved.existed ? L"its earlier values" : L"absent before");
    if (!saved.value[0]) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, saved.path);
    fw::RegKey key;
    if (!saved.existed) {
        if (saved.value[0] && key.Open(HKEY_LOCAL_MACHINE, saved.path, KEY_WRITE) == ERROR_SUCCESS)
            ::RegDeleteValueW(key.Get(), saved.value);
        return;
    }
    if (key.Create(HKEY_LOCAL_MACHINE, saved.path, KEY_WRITE) != ERROR_SUCCESS) return;
    for (int i = 0; i < saved.valueCount && i < kJournalValueCount; ++i) {
        const SavedValue& value = saved.values[i];
        ::RegSetValueExW(key.Get(), value.name, 0, value.type, value.data, value.bytes);
    }
}

// Moves a file out of the way of the one that goes back to its name: a
// delete, or, where it is in use (the uninstaller running), a rename.
void Clear(const wchar_t* path) {
    if (!Exists(path) || Remove(path)) return;
    const Beside discard(path, kDiscardSuffix);
    Remove(discard.text);
    ::MoveFileExW(path, discard.text, MOVEFILE_REPLACE_EXISTING);
}

void RestoreFile(const SavedPath& saved) {
    Remove(Beside(saved.path, kNewCopySuffix).text);
    Remove(Beside(saved.path, kDiscardSuffix).text);
    const Beside kept(saved.path, kKeptSuffix);
    if (!saved.existed) {
        if (Exists(saved.path)) LogLine(L"Undo: removed %s, which this run added", saved.path);
        Clear(saved.path);
    } else if (Exists(kept.text)) {
        Clear(saved.path);
        const bool back = ::MoveFileExW(kept.text, saved.path, MOVEFILE_REPLACE_EXISTING) != FALSE;
        if (back) LogLine(L"Undo: put back %s", saved.path);
        else LogWindowsError(::GetLastError(), L"Undo: could not put back %s", saved.path);
    }
}

void ServiceToolRun(const wchar_t* installDir, const wchar_t* args, DWORD boundMs) {
    if (IsNt6) RunServiceToolToEnd(installDir, args, boundMs);
}

bool ServiceToolThere(const wchar_t* installDir) {
    wchar_t tool[kPathChars];
    return FormatPath(tool, L"%s\\%s", installDir, kServiceTool) && PathExists(tool);
}

// Which of our names beside the files go: all of them before the install
// (an earlier run's), the kept and discarded ones at the commit, when the
// new copies left are those that wait for the restart.
enum class Leftovers { All, AfterCommit };

// A kept file still in use (a program that was running from it) goes at the
// next restart; the new file is in place already, so nothing waits for it.
void RemoveOurName(const wchar_t* path, Leftovers which) {
    if (which == Leftovers::AfterCommit && EndsWithIgnoringCase(path, kNewCopySuffix)) return;
    if (!Exists(path) || Remove(path)) return;
    if (which == Leftovers::AfterCommit && IsHeldFileError(path, ::GetLastError())) QueueDeletion(path);
}

// One look at the folder rather than one per file and suffix.
void RemoveOurNamesIn(const wchar_t* folder, Leftovers which) {
    wchar_t path[kPathChars];
    if (!FormatPath(path, L"%s\\*.avsetup-*", folder)) return;
    WIN32_FIND_DATAW data;
    fw::FindHandle find(::FindFirstFileW(path, &data));
    if (!find.IsValid()) return;
    do {
        if (IsTransactionName(data.cFileName) && FormatPath(path, L"%s\\%s", folder, data.cFileName))
            RemoveOurName(path, which);
    } while (::FindNextFileW(find.Get(), &data));
}

// A file right in `folder`, not in a folder below it.
bool IsInFolder(const wchar_t* path, const wchar_t* folder) {
    const wchar_t* name = PathInside(path, folder);
    if (!name || !*name) return false;
    for (; *name; ++name) {
        if (*name == L'\\') return false;
    }
    return true;
}

// Our names beside every file of the journal: each of its folders is
// looked at once, a file outside them (the desktop link) on its own.
void RemoveOurNames(const Journal& journal, Leftovers which) {
    for (int i = 0; i < journal.pathCount; ++i) {
        const SavedPath& saved = journal.paths[i];
        if (saved.folder) {
            RemoveOurNamesIn(saved.path, which);
            continue;
        }
        bool inFolder = false;
        for (int j = 0; j < journal.pathCount && !inFolder; ++j)
            inFolder = journal.paths[j].folder && IsInFolder(saved.path, journal.paths[j].path);
        if (!inFolder) {
            for (const wchar_t* suffix : {kNewCopySuffix, kKeptSuffix, kDiscardSuffix})
                RemoveOurName(Beside(saved.path, suffix).text, which);
        }
    }
}

// Another program holds the file without delete sharing: it can be
// neither renamed nor replaced.
bool IsHeld(const wchar_t* path) {
    fw::Handle file(::CreateFileW(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    return !file.IsValid() && IsHeldFileError(path, ::GetLastError());
}

// The old file keeps a second name (a hard link) while the new copy takes
// its name in one rename, so that a run cut off at any moment leaves a
// file under the name: the uninstall entry's program is always there.
// False, with the old file under its name alone, where that cannot be: a
// volume without hard links, a held file, or a running program's file,
// whose name Windows lets go only by a rename.
bool SwapIn(const wchar_t* newCopy, const wchar_t* target) {
    if (IsHeld(target)) return false;
    MakeWritable(target);
    const Beside kept(target, kKeptSuffix);
    if (!kept.text[0] || !::CreateHardLinkW(kept.text, target, nullptr)) return false;
    if (::MoveFileExW(newCopy, target, MOVEFILE_REPLACE_EXISTING)) return true;
    // A running program's second name cannot be deleted either, only
    // renamed; the commit removes it with the kept file.
    if (!::DeleteFileW(kept.text))
        ::MoveFileExW(kept.text, Beside(target, kDiscardSuffix).text, MOVEFILE_REPLACE_EXISTING);
    return false;
}

// Removes a copy that did not take its name, or part of one (cut off by a
// full disk, say), keeping the error of the step that failed.
Placement Failed(const wchar_t* copy) {
    const DWORD error = ::GetLastError();
    Remove(copy);
    ::SetLastError(error);
    return Placement::Failed;
}

// A name with no file takes the copy straight. A run cut off mid-copy
// leaves part of a file that nothing runs (the uninstall entry is written
// after the files) and that the next run's recovery removes with
// everything else this run added.
Placement CopyStraight(const wchar_t* source, const wchar_t* target) {
    // A file that came meanwhile is not ours to remove.
    if (!::CopyFileW(source, target, TRUE))
        return ::GetLastError() == ERROR_FILE_EXISTS ? Placement::Failed : Failed(target);
    MakeWritable(target);
    return Placement::InPlace;
}

} // namespace

bool IsTransactionName(const wchar_t* name) {
    return EndsWithIgnoringCase(name, kNewCopySuffix) || EndsWithIgnoringCase(name, kKeptSuffix) || EndsWithIgnoringCase(name, kDiscardSuffix) ||
           ::lstrcmpiW(name, kJournalName) == 0;
}

bool NoteStateBefore(const SetupConfig& config, Journal& journal) {
    StartJournal(journal);
    journal.serviceBefore = IsNt6 && ServiceToolThere(config.InstallDir);
    bool fits = Save(journal, config.InstallDir, true);
    wchar_t path[kPathChars];
    for (const wchar_t* folder : InstallFolders)
        fits = fits && FormatPath(path, L"%s\\%s", config.InstallDir, folder) && Save(journal, path, true);
    InstallFile files[kInstallFileCount];
    ListInstallFiles(config, files);
    for (const InstallFile& file : files)
        fits = fits && TargetPathOf(config.InstallDir, file, path) && Save(journal, path, false);
    ShortcutPaths links;
    if (FindShortcutPaths(config.AppName, links)) {
        fits = fits && Save(journal, links.desktopLink, false) && Save(journal, links.group, true) &&
               Save(journal, links.applicationLink, false) && Save(journal, links.uninstallLink, false);
    }
    wchar_t key[kKeyPathChars];
    fits = fits && UninstallKeyPath(config, key) && SaveKey(journal, key, L"");
    if (!IsNt6) fits = fits && RunKeyPath(key) && SaveKey(journal, key, config.AppName);
    fits = fits && SaveKey(journal, kEventSourceKey, L"");
    // What an earlier run left (copies, files waiting for a restart that
    // has not come) is not what this one keeps: it puts every file in place
    // anew.
    CancelQueuedIn(config.InstallDir);
    RemoveOurNames(journal, Leftovers::All);
    return fits;
}

bool WriteJournal(const wchar_t* installDir, const Journal& journal) {
    wchar_t path[kPathChars];
    if (!JournalPath(installDir, path)) return false;
    if (!PathExists(installDir)) ::CreateDirectoryW(installDir, nullptr);
    fw::Handle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool ok = file.IsValid() && ::WriteFile(file.Get(), &journal, sizeof journal, &written, nullptr) &&
                    written == sizeof journal && ::FlushFileBuffers(file.Get());
    file.Close();
    if (!ok) {
        ::DeleteFileW(path);
        // A folder made for the journal alone goes with it.
        ::RemoveDirectoryW(installDir);
    }
    return ok;
}

namespace {

Placement Place(const wchar_t* source, const wchar_t* target, const wchar_t*& how) {
    how = L"copied straight to its name";
    if (!Exists(target)) return CopyStraight(source, target);
    // The new file is whole before it takes the name: a run cut off here
    // leaves the old file, never half of one (the uninstall entry runs the
    // uninstaller's copy, which puts everything back).
    how = L"copied beside the old file";
    const Beside newCopy(target, kNewCopySuffix);
    if (!newCopy.text[0] || !::CopyFileW(source, newCopy.text, FALSE)) return Failed(newCopy.text);
    // What is installed must be replaceable and removable: a copy from a CD
    // keeps the medium's read-only attribute.
    MakeWritable(newCopy.text);
    how = L"swapped in beside the old file, kept under a second name";
    if (SwapIn(newCopy.text, target)) return Placement::InPlace;
    how = L"moved in after the old file was renamed aside";
    if (KeepAside(target)) return ::MoveFileW(newCopy.text, target) ? Placement::InPlace : Failed(newCopy.text);
    // Held by another program without delete sharing, so that it cannot
    // even be renamed: the new copy waits beside it for the restart.
    how = L"queued to replace the old file at the restart (held by another program)";
    if (IsHeldFileError(target, ::GetLastError()) && QueueReplacement(newCopy.text, target))
        return Placement::AtRestart;
    return Failed(newCopy.text);
}

unsigned long long SizeOf(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

Placement PlaceFile(const wchar_t* source, const wchar_t* target) {
    const wchar_t* how = L"";
    const Placement placed = Place(source, target, how);
    if (placed == Placement::Failed) {
        const DWORD error = ::GetLastError();
        LogWindowsError(error, L"File %s from %s could not be %s", target, source, how);
        ::SetLastError(error);
    } else {
        LogLine(L"File %s from %s, %I64u bytes, %s", target, source, SizeOf(source), how);
    }
    return placed;
}

bool KeepAside(const wchar_t* path) {
    if (!Exists(path)) return true;
    // A running program's file, or a module loaded, can be renamed though
    // not overwritten; the commit deletes it, or queues its deletion.
    MakeWritable(path);
    const Beside kept(path, kKeptSuffix);
    return kept.text[0] && ::MoveFileExW(path, kept.text, MOVEFILE_REPLACE_EXISTING);
}

void CommitInstall(const wchar_t* installDir, const Journal& journal) {
    LogLine(L"Commit: the kept files and the journal go");
    // The kept files, and one a recovery found in use (a service still
    // stopping), free by now.
    RemoveOurNames(journal, Leftovers::AfterCommit);
    wchar_t path[kPathChars];
    if (JournalPath(installDir, path)) ::DeleteFileW(path);
}

void RollBackInstall(const SetupConfig& config, const Journal& journal, bool takeDownService) {
    const wchar_t* installDir = config.InstallDir;
    const DWORD toolBoundMs = ServiceToolBoundMs(config);
    LogLine(L"Rollback of the install in %s, from its journal", installDir);
    // No replacement of this run may happen at the next restart.
    CancelQueuedIn(installDir);
    // The service runs the tool's own file, which goes back below.
    if (IsNt6 && takeDownService && ServiceToolThere(installDir))
        StopAndRemoveService(installDir, toolBoundMs, StopBoundMs(config));
    for (int i = journal.pathCount - 1; i >= 0; --i) {
        if (!journal.paths[i].folder) RestoreFile(journal.paths[i]);
    }
    for (int i = 0; i < journal.keyCount; ++i) RestoreKey(journal.keys[i]);
    if (journal.serviceBefore) {
        LogLine(L"Undo: the earlier service registered and started again");
        ServiceToolRun(installDir, L"-i", toolBoundMs);
    }
    wchar_t path[kPathChars];
    if (JournalPath(installDir, path)) ::DeleteFileW(path);
    // Folders it made go once empty; one that holds a user's file stays.
    for (int i = journal.pathCount - 1; i >= 0; --i) {
        const SavedPath& saved = journal.paths[i];
        if (saved.folder && !saved.existed) ::RemoveDirectoryW(saved.path);
    }
}

bool HadInstallation(const Journal& journal) {
    for (int i = 0; i < journal.pathCount; ++i) {
        if (!journal.paths[i].folder && journal.paths[i].existed) return true;
    }
    return false;
}

bool RecoverInterruptedInstall(const wchar_t* sourceDir, SetupConfig& config) {
    // A run killed while it replaced the uninstaller's setup.ini left only
    // the kept copy, which names the installation and so its journal.
    wchar_t own[kPathChars];
    if (FormatPath(own, L"%s%s", sourceDir, L"setup.ini") && !Exists(own) && Exists(Beside(own, kKeptSuffix).text)) {
        wchar_t kept[kPathChars];
        if (FormatPath(kept, L"%s%s", L"setup.ini", kKeptSuffix)) ReadSetupConfig(sourceDir, config, kept);
    }
    wchar_t path[kPathChars];
    if (!config.InstallDir[0] || !JournalPath(config.InstallDir, path) || !PathExists(path)) return false;
    std::unique_ptr<Journal> journal(new Journal);
    DWORD read = 0;
    {
        fw::Handle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.IsValid() || !::ReadFile(file.Get(), journal.get(), sizeof *journal, &read, nullptr)) read = 0;
    }
    if (!IsWholeJournal(*journal, read)) {
        // Cut off while it was written: killed before its first change.
        LogLine(L"Recovery: %s was cut off while it was written (nothing had changed); removed", path);
        ::DeleteFileW(path);
        return false;
    }
    LogLine(L"Recovery: %s left by a run that was cut off, with %d files and %d registry keys; undoing it", path,
            journal->pathCount, journal->keyCount);
    RollBackInstall(config, *journal, true);
    ReportRollbackEvent(config.AppName, HadInstallation(*journal));
    ReadSetupConfig(sourceDir, config);
    return true;
}
