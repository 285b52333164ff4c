#pragma once
#include <set>
#include <string>

#include "tests/support/Installation.h"

namespace hostile {

// What a run of setup.exe must leave alone, as a set of lines naming each
// entry (with size and time for files): the listings of C:\ and of the
// Program Files folder, a sibling folder of InstallDir and the medium
// (whole trees), the uninstall entries, the Run values, the desktop and
// the Programs menu.
class Sentinels {
public:
    Sentinels(const test::Installation& product, std::wstring medium, std::wstring sibling);
    std::set<std::wstring> Take() const;
    // The lines a run may add: its own folder, uninstall entry, Run value,
    // desktop link and program group, and nothing inside the watched trees.
    bool MayAdd(const std::wstring& line) const;

private:
    const test::Installation& product_;
    std::wstring medium_, sibling_, programFiles_, desktop_, programs_;
};

} // namespace hostile
