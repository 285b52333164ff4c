#pragma once
#include <windows.h>

// Every path the engine composes lives in a buffer of MAX_PATH characters
// (259 of text and the NUL).
constexpr size_t kPathChars = MAX_PATH;

// Fills `out` (capacity `chars`, NUL included) from a wide printf format.
// A result that would not fit is refused: `out` is left empty and the call
// returns false. A cut path could name a different file, which a later step
// would then overwrite or delete.
bool FormatPathN(wchar_t* out, size_t chars, const wchar_t* format, ...);

template <size_t N, typename... Args>
bool FormatPath(wchar_t (&out)[N], const wchar_t* format, Args... args) {
    return FormatPathN(out, N, format, args...);
}

// Copies `path` cut just after its last backslash into `out` (MAX_PATH
// characters). A path without a backslash gives the empty string.
void GetDirectoryPart(const wchar_t* path, wchar_t* out);

// True for one plain file or folder name: not empty, not "." or "..",
// without separators, a drive colon, wildcards, quotes or control
// characters, not ending in a dot or a space, not a device name (CON,
// NUL, COM1, also with an extension) and not in the form of a short name
// ("~" and a digit). Anything else could reach outside the installation
// folder, name a device or another folder, or break a quoted command line.
bool IsPlainName(const wchar_t* name);

// True when `text` ends with `end`, in any case.
bool EndsWithIgnoringCase(const wchar_t* text, const wchar_t* end);

// True when the path's last name is a device's (CON, NUL, COM1, ...), or the
// path is a device's own ("\\.\...").
bool NamesDevice(const wchar_t* path);

// Copies `src` into `out` when it fits (NUL included); otherwise leaves
// `out` empty and returns false.
bool CopyText(wchar_t* out, size_t chars, const wchar_t* src);

// Clears the read-only attribute of a file, if it has one. Files copied
// from a CD keep the attribute, and a read-only file can be neither
// replaced nor deleted.
void MakeWritable(const wchar_t* path);

// True when a file or folder of that name exists (a FindFirstFileW search
// finds it).
bool PathExists(const wchar_t* path);

// What `path` names inside `folder` (compared without regard to case): the
// rest after the folder's backslash, empty for the folder itself; null when
// the path is elsewhere.
const wchar_t* PathInside(const wchar_t* path, const wchar_t* folder);

// The size of the files under `folder` (its sub-folders' too, not through
// links), in kilobytes rounded up; files whose names `skip` takes are not
// counted. 0 for a folder that cannot be read.
DWORD FolderKilobytes(const wchar_t* folder, bool (*skip)(const wchar_t* name));
