#include "engine/transaction/TransactionNames.h"

#include <initializer_list>

#include "engine/system/RestartQueue.h"
#include "framework/Handle.h"

const wchar_t kNewCopySuffix[] = L".avsetup-new";
const wchar_t kKeptSuffix[] = L".avsetup-old";
const wchar_t kDiscardSuffix[] = L".avsetup-del";

namespace {

const wchar_t kJournalName[] = L"avsetup.journal";

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

} // namespace

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

bool IsTransactionName(const wchar_t* name) {
    return EndsWithIgnoringCase(name, kNewCopySuffix) || EndsWithIgnoringCase(name, kKeptSuffix) ||
           EndsWithIgnoringCase(name, kDiscardSuffix) || ::lstrcmpiW(name, kJournalName) == 0;
}

bool JournalPath(const wchar_t* installDir, wchar_t (&out)[kPathChars]) {
    return FormatPath(out, L"%s\\%s", installDir, kJournalName);
}

bool Exists(const wchar_t* path) { return path[0] && ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

bool Remove(const wchar_t* path) {
    if (!path[0]) return false;
    MakeWritable(path);
    return ::DeleteFileW(path) != FALSE;
}
