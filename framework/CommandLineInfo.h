#pragma once

namespace fw {

// Receives the program's arguments one by one. A leading "-" or "/" is
// removed before the call and reported as isSwitch.
class CommandLineInfo {
public:
    virtual ~CommandLineInfo() = default;
    virtual void ParseParam(const wchar_t* param, bool isSwitch, bool isLast) = 0;
};

// Feeds every argument after the program name, first to last.
void WalkArguments(CommandLineInfo& info, int argc, const wchar_t* const* argv);

// Feeds the arguments of this process's own command line.
void WalkCommandLine(CommandLineInfo& info);

} // namespace fw
