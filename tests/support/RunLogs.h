#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace test {

// A temporary folder of the test's own for the programs it starts (TMP):
// their run logs land there.
class LogFolder {
public:
    explicit LogFolder(const std::wstring& path);
    const std::wstring& Path() const { return path_; }
    // The names of our logs there, in the order of their writing.
    std::vector<std::wstring> Logs() const;
    // The path and the text of the one written last ("" when none).
    std::wstring NewestPath() const;
    std::wstring Newest() const;

private:
    std::wstring path_;
    ScopedEnv tmp_;
};

// A log's text after its byte-order mark; "" when there is none.
std::wstring ReadRunLog(const std::wstring& path);

// Windows' own words for an error, as the log writes them.
std::wstring ErrorWords(DWORD error);

// A symbolic link at `link` to the file `target`, made and removed on the
// host (Wine 8 makes none, and its DeleteFileW on a link deletes what the
// link names).
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target);
bool RemoveSymbolicLink(const std::wstring& link);

// How often `needle` stands in `text`.
int Occurrences(const std::wstring& text, const std::wstring& needle);

} // namespace test
