#pragma once
#include <windows.h>

#include "engine/config/Paths.h"
#include "engine/transaction/Journal.h"

// The names the transaction gives files beside the installation's: its
// journal, the new copy of a file until it moves in (or, for a held file,
// until the restart), the file it replaces until the install has done its
// job, and a file in use moved aside to go later.
extern const wchar_t kNewCopySuffix[];  // ".avsetup-new"
extern const wchar_t kKeptSuffix[];     // ".avsetup-old"
extern const wchar_t kDiscardSuffix[];  // ".avsetup-del"

// True for a name the transaction makes: a new or kept copy, the journal.
bool IsTransactionName(const wchar_t* name);

// The journal's path in InstallDir; false when it does not fit.
bool JournalPath(const wchar_t* installDir, wchar_t (&out)[kPathChars]);

// `path` with one of our suffixes; empty when it does not fit, which names
// no file.
struct Beside {
    Beside(const wchar_t* path, const wchar_t* suffix) { FormatPath(text, L"%s%s", path, suffix); }
    wchar_t text[kPathChars];
};

// A file or folder of that name (an empty name is none).
bool Exists(const wchar_t* path);
// Deletes a file, read-only or not; false when it stays.
bool Remove(const wchar_t* path);

// Which of our names beside the files go: all of them before the install
// (an earlier run's), the kept and discarded ones at the commit, when the
// new copies left are those that wait for the restart.
enum class Leftovers { All, AfterCommit };

// Our names beside every file of the journal: each of its folders is
// looked at once, a file outside them (the desktop link) on its own.
void RemoveOurNames(const Journal& journal, Leftovers which);
