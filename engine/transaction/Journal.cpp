#include "engine/transaction/Journal.h"

namespace {
// "AVJ1" and its reverse: a file cut off before its end lacks the second.
constexpr DWORD kMagic = 0x314A5641;
constexpr DWORD kEndMagic = 0x41564A31;
} // namespace

void StartJournal(Journal& journal) {
    journal.magic = kMagic;
    journal.serviceBefore = false;
    journal.pathCount = 0;
    journal.keyCount = 0;
    journal.endMagic = kEndMagic;
}

bool AddSavedPath(Journal& journal, const wchar_t* path, bool folder, bool existed) {
    if (journal.pathCount >= kJournalPathCount) return false;
    SavedPath& saved = journal.paths[journal.pathCount];
    if (!CopyText(saved.path, kPathChars, path)) return false;
    saved.folder = folder;
    saved.existed = existed;
    ++journal.pathCount;
    return true;
}

bool IsWholeJournal(const Journal& journal, DWORD bytes) {
    return bytes == sizeof journal && journal.magic == kMagic && journal.endMagic == kEndMagic &&
           journal.pathCount >= 0 && journal.pathCount <= kJournalPathCount && journal.keyCount >= 0 &&
           journal.keyCount <= kJournalKeyCount;
}
