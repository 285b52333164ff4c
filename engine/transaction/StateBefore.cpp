#include "engine/transaction/StateBefore.h"

#include "engine/config/Platform.h"
#include "engine/layout/InstallFiles.h"
#include "engine/report/EventLog.h"
#include "engine/system/Process.h"
#include "engine/system/Registry.h"
#include "engine/system/RestartQueue.h"
#include "engine/system/Shortcuts.h"
#include "engine/transaction/TransactionNames.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"

namespace {

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

} // namespace

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
