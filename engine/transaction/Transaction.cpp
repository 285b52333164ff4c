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
#include "engine/transaction/TransactionNames.h"

namespace {

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
