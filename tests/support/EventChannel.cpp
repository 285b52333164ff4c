#include "tests/support/EventChannel.h"

#include <fstream>

#include "tests/support/TestSupport.h"

namespace test {

namespace {

// The ids of setup.exe's message table (res/messages.mc).
constexpr DWORD kFailureEvent = 0xC0000001;
constexpr DWORD kRunSucceeded = 0x40000002;
constexpr DWORD kRunFailed = 0xC0000003;

std::wstring ChannelPath() {
    std::wstring path = L"Z:" + Env(L"AV_WINE_STDERR");
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "ReportEventW (handle,type,category,id,...)": its type and id.
bool ParseCall(const std::string& line, ReportedEvent& event) {
    const size_t open = line.find("ReportEventW (");
    if (open == std::string::npos) return false;
    std::vector<std::string> fields;
    std::string field;
    for (size_t i = open + 14; i < line.size() && line[i] != ')'; ++i) {
        if (line[i] == ',') {
            fields.push_back(field);
            field.clear();
        } else {
            field += line[i];
        }
    }
    fields.push_back(field);
    if (fields.size() < 4) return false;
    event.type = static_cast<WORD>(std::stoul(fields[1], nullptr, 16));
    event.id = static_cast<DWORD>(std::stoul(fields[3], nullptr, 16));
    return true;
}

} // namespace

std::wstring UnquoteDebugString(const std::string& quoted) {
    std::wstring text;
    size_t i = quoted.find("L\"");
    if (i == std::string::npos) return text;
    for (i += 2; i < quoted.size() && quoted[i] != '"'; ++i) {
        if (quoted[i] != '\\' || i + 1 >= quoted.size()) {
            text += static_cast<wchar_t>(static_cast<unsigned char>(quoted[i]));
            continue;
        }
        const char next = quoted[++i];
        if (next == 'n') text += L'\n';
        else if (next == 'r') text += L'\r';
        else if (next == 't') text += L'\t';
        else if (HexDigit(next) >= 0 && i + 3 < quoted.size()) {
            // \XXXX: a character outside printable ASCII.
            unsigned value = 0;
            for (size_t k = 0; k < 4; ++k) value = value * 16 + static_cast<unsigned>(HexDigit(quoted[i + k]));
            text += static_cast<wchar_t>(value);
            i += 3;
        } else {
            text += static_cast<wchar_t>(next);
        }
    }
    return text;
}

EventChannel::EventChannel() : path_(ChannelPath()) {
    std::ifstream in(path_.c_str(), std::ios::binary | std::ios::ate);
    if (in) start_ = in.tellg();
}

std::vector<ReportedEvent> EventChannel::Events() const {
    std::vector<ReportedEvent> events;
    std::ifstream in(path_.c_str(), std::ios::binary);
    in.seekg(start_);
    std::string line;
    while (std::getline(in, line)) {
        ReportedEvent event;
        if (line.find(":fixme:advapi:") != std::string::npos && ParseCall(line, event)) {
            events.push_back(event);
        } else if (line.find(":eventlog:ReportEventW") != std::string::npos && !events.empty()) {
            events.back().strings.push_back(UnquoteDebugString(line));
        }
    }
    // Every event of ours ends with the log's path: kept apart from its
    // facts.
    for (ReportedEvent& event : events) {
        const DWORD code = event.id & 0xFFFF;  // without the severity bits
        if (code >= 1 && code <= 8 && !event.strings.empty()) {
            event.log = event.strings.back();
            event.strings.pop_back();
        }
    }
    return events;
}

std::vector<std::wstring> EventChannel::Failures() const {
    std::vector<std::wstring> texts;
    for (const ReportedEvent& event : Events())
        if (event.id == kFailureEvent && !event.strings.empty()) texts.push_back(event.strings[0]);
    return texts;
}

std::vector<std::wstring> EventChannel::Closing() const {
    std::vector<std::wstring> closing;
    for (const ReportedEvent& event : Events())
        if (event.id == kRunSucceeded || event.id == kRunFailed) closing = event.strings;
    return closing;
}

} // namespace test
