#pragma once
#include <windows.h>

#include "engine/config/Paths.h"

// What an install found before it changed anything: enough to put the
// machine back as it was, by the run itself when a step fails, or by the
// next run when this one was killed half-way. It lists paths, not versions:
// the run that reads it may come from another medium.
constexpr int kJournalPathCount = 136;  // the folders, the copy table, the links
constexpr int kJournalKeyCount = 3;     // the uninstall entry, the Run value, the event source
constexpr int kJournalValueCount = 12;
constexpr DWORD kJournalValueBytes = 1040;
constexpr size_t kJournalKeyChars = 1024;

struct SavedPath {
    wchar_t path[kPathChars];
    bool existed;
    bool folder;
};

struct SavedValue {
    wchar_t name[kPathChars];
    DWORD type;
    DWORD bytes;
    BYTE data[kJournalValueBytes];
};

// A key of HKEY_LOCAL_MACHINE as a whole (`value` empty), or one value in it.
struct SavedKey {
    wchar_t path[kJournalKeyChars];
    wchar_t value[kPathChars];
    bool existed;
    int valueCount;
    SavedValue values[kJournalValueCount];
};

// The journal file is this record as it stands: one write, one read. Its
// first and last words tell a whole one from a cut-off or foreign file.
struct Journal {
    DWORD magic;
    bool serviceBefore;  // an earlier installation's service was registered
    int pathCount;       // folders and files, in the order the install makes them
    SavedPath paths[kJournalPathCount];
    int keyCount;
    SavedKey keys[kJournalKeyCount];
    DWORD endMagic;
};

// An empty journal, marked whole.
void StartJournal(Journal& journal);
// Adds a path; false when the journal is full or the path does not fit.
bool AddSavedPath(Journal& journal, const wchar_t* path, bool folder, bool existed);
// True for `bytes` read from a journal file that holds a whole journal of ours.
bool IsWholeJournal(const Journal& journal, DWORD bytes);
