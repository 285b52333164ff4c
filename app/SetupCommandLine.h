#pragma once
#include "framework/CommandLineInfo.h"

// The parsed command line: three flags, the first parameters as given, and
// how many parameters there were.
class SetupCommandLine : public fw::CommandLineInfo {
public:
    static constexpr int kSlots = 4;
    static constexpr int kSlotChars = 260;

    SetupCommandLine();
    void ParseParam(const wchar_t* param, bool isSwitch, bool isLast) override;

    // The stored text of parameter `index`, empty for one that was not
    // stored (beyond the fourth, or too long for its slot).
    const wchar_t* Param(int index) const;

    int delpkg = 0;
    int SilentDel = 0;
    int s = 0;
    int count = 0;
    // The word log=PATH: where the run's log goes. A path too long for any
    // file is kept long enough to be refused as such.
    static constexpr int kLogPathChars = 1024;
    bool logGiven = false;
    wchar_t logPath[kLogPathChars] = {};

private:
    void Store(const wchar_t* param, bool isSwitch);

    wchar_t params_[kSlots][kSlotChars];
};

// Compares whole words, ignoring the case of the letters A to Z only.
bool EqualsIgnoringAsciiCase(const wchar_t* a, const wchar_t* b);
