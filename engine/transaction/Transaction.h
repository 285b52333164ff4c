#pragma once
#include "engine/transaction/Journal.h"
#include "engine/config/SetupConfig.h"

// An install either completes or leaves the machine as it found it. Before
// its first change it writes a journal of what was there into the
// installation folder; each file it replaces is kept aside under a name of
// ours in the same folder (a rename: fast, and on the same volume); when
// everything is in place the kept files and the journal go. A failed step
// puts everything back from the journal, and so does the next run of
// setup.exe when this one was killed half-way. Its names beside the files
// are TransactionNames', its journal's note StateBefore's.

// Puts `source` at `target`: straight where no file is; otherwise copies it
// beside the target, keeps the file it replaces aside (a second name, or a
// rename where there cannot be one), then moves the copy in. A file that
// another program holds so that it cannot be renamed gets the copy queued
// to replace it at the next restart. Failed, with the error of the step that failed as the
// last error, when any step fails; the copy is then removed.
enum class Placement { Failed, InPlace, AtRestart };
Placement PlaceFile(const wchar_t* source, const wchar_t* target);

// Keeps an existing file aside (a rename) before it is made anew. True
// when nothing is there or it was moved.
bool KeepAside(const wchar_t* path);

// The install did its job: the kept files and the journal go (a kept file
// still in use at the next restart).
void CommitInstall(const wchar_t* installDir, const Journal& journal);

// Undoes the install in reverse order: cancels the replacements it queued
// for the restart, takes down a service it may have registered, removes
// what it added, puts every kept file back, restores the registry entries,
// registers and starts the earlier service again, and removes the folders
// it made, in config's InstallDir. The service tool's runs and the waits for
// the service get config's bounds.
void RollBackInstall(const SetupConfig& config, const Journal& journal, bool takeDownService);

// True when the journal lists an earlier installation's files.
bool HadInstallation(const Journal& journal);

// At start-up, before anything else: a journal left by a run that was
// killed puts the earlier installation back, and `config` is read again
// from setup.ini in sourceDir (which may be one it put back). True when
// there was one.
bool RecoverInterruptedInstall(const wchar_t* sourceDir, SetupConfig& config);
