#pragma once
#include <windows.h>

#include <string>
#include <vector>

// What an install found before it changed anything: enough to put the
// machine back as it was, by the run itself when a step fails, or by the
// next run when this one was killed half-way. It lists paths, not versions:
// the run that reads it may come from another medium.
struct SavedPath {
    std::wstring path;
    bool existed = false;
    bool folder = false;
};

struct SavedValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
};

// A key of HKEY_LOCAL_MACHINE as a whole (`value` empty), or one value in it.
struct SavedKey {
    std::wstring path;
    std::wstring value;
    bool existed = false;
    std::vector<SavedValue> values;  // the key's values, or the one value
};

struct Journal {
    bool serviceBefore = false;    // an earlier installation's service was registered
    std::vector<SavedPath> paths;  // folders and files, in the order the install makes them
    std::vector<SavedKey> keys;
};

// The journal as text, and back. Parsing refuses anything it did not
// write (another format, a cut-off file).
std::wstring FormatJournal(const Journal& journal);
bool ParseJournal(const std::wstring& text, Journal& out);
