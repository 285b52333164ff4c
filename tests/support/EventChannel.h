#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace test {

// One event that a program of the test reported with ReportEventW.
struct ReportedEvent {
    DWORD id = 0;
    WORD type = 0;
    std::vector<std::wstring> strings;
    // The run log's path, which every event of ours (ids 1 to 8) ends
    // with; not among `strings`.
    std::wstring log;
};

// The events reported from now on, as Wine prints them into the file that
// AV_WINE_STDERR names (scripts/wine-run): a line with the call's type and
// id, then one line per string.
class EventChannel {
public:
    EventChannel();
    std::vector<ReportedEvent> Events() const;
    // The texts of the failure events, in order.
    std::vector<std::wstring> Failures() const;
    // The strings of the last closing event (product, version, run, exit
    // code), empty if there was none.
    std::vector<std::wstring> Closing() const;

private:
    std::wstring path_;
    std::streamoff start_ = 0;
};

// The text that Wine's debugstr_w printed as L"...".
std::wstring UnquoteDebugString(const std::string& quoted);

} // namespace test
