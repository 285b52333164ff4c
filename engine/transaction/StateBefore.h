#pragma once
#include "engine/config/SetupConfig.h"
#include "engine/transaction/Journal.h"

// The note an install makes before its first change, of what it is about
// to change as it is now, and its one write to the disk.

// Its folders, files, shortcuts, registry entries and whether an earlier
// service exists; what an earlier run left beside the files goes. False
// when it does not fit the journal.
bool NoteStateBefore(const SetupConfig& config, Journal& journal);

// Writes the journal into InstallDir (made first when missing), once, to
// the disk. False when it cannot; then nothing else has been changed.
bool WriteJournal(const wchar_t* installDir, const Journal& journal);
