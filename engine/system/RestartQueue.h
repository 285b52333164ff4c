#pragma once
#include <windows.h>

// Work left to the next restart of Windows: before any program runs, the
// Session Manager performs the renames and deletions queued in
// PendingFileRenameOperations (MoveFileExW, MOVEFILE_DELAY_UNTIL_REBOOT).

// True when `error`, from renaming or deleting `path`, says that another
// program holds or runs the file: it cannot be replaced or deleted now, and
// can be at the next restart. Access denied counts only on a file that is
// not read-only (the attribute is cleared first; one that stays is not a
// file in use).
bool IsHeldFileError(const wchar_t* path, DWORD error);

// `newCopy` replaces `target` at the next restart. Needs administrator
// rights, which the installer has.
bool QueueReplacement(const wchar_t* newCopy, const wchar_t* target);
// `path` (a file, or a folder empty by then) goes at the next restart.
bool QueueDeletion(const wchar_t* path);

// Takes every operation on `folder` or on a path in it out of `operations`
// (the value's pairs of NUL-terminated paths, `chars` long with the final
// NUL). Returns the length left, the final NUL included.
DWORD DropOperationsIn(wchar_t* operations, DWORD chars, const wchar_t* folder);
// The same on the system's queue: nothing of ours in `folder` waits.
void CancelQueuedIn(const wchar_t* folder);

// The files that wait for the restart, one a line, for the event that
// names them.
struct WaitingFiles {
    int count = 0;
    wchar_t text[4096] = {};
};
void AddWaitingFile(WaitingFiles& waiting, const wchar_t* path);
