#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "tests/hostile/Sentinels.h"
#include "tests/hostile/SetupRun.h"
#include "tests/support/Installation.h"
#include "tests/support/TestSupport.h"

namespace hostile {

// One hostile case: a private copy of the medium for a product of its own,
// with a sentinel folder beside the installation folder. Every run through
// Run() must end by itself without crashing and leave no setup.exe behind;
// at the end of the case nothing outside the product's own places may
// have been written or deleted.
class HostileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // "<medium>\setup.exe" ARGS.
    std::wstring Setup(const std::wstring& args) const;
    // Runs setup.exe from the medium; checks that it ended by itself,
    // did not crash and left no process behind. The sentinels are taken
    // before the first run of the case.
    RunOutcome Run(const std::wstring& args, DWORD deadlineMs = 120000, WindowHandler* handler = nullptr);
    // A silent install that must succeed, as the start of a case.
    void InstallOnce() {
        RunOutcome first = Run(L"s");
        ASSERT_EQ(0u, first.exitCode);
        ASSERT_TRUE(first.failMessages.empty());
    }
    RunOutcome RunCommand(const std::wstring& commandLine, DWORD deadlineMs = 120000,
                          WindowHandler* handler = nullptr);
    // Takes the sentinels, if this case has not yet.
    void Watch();
    // The checks of Run() on a run made otherwise.
    void ExpectEndedCleanly(const RunOutcome& outcome, const std::wstring& commandLine, DWORD deadlineMs) const;

    // The setup.ini of the medium, as bytes.
    void WriteIni(const std::string& bytes) const { test::WriteTextFile(medium_ + L"\\setup.ini", bytes); }
    // The product's setup.ini with these lines added to Customized_Setting.
    void WriteIniWith(const std::string& customizedLines) const;
    // A UTF-16 setup.ini (with its byte-order mark).
    void WriteUnicodeIni(const std::wstring& text) const;
    // The case installs under the built-in names (no setup.ini, say):
    // clean-up and the sentinels follow them.
    void UseDefaultProduct();

    // The run reported one failure naming `about`: as a failure event and,
    // in the wizard, a "Fail" box; exit code 1 in a silent run, not 0 in
    // the wizard.
    void ExpectReported(const RunOutcome& outcome, const std::wstring& about) const;
    // The run refused to work: reported as above, and nothing installed.
    void ExpectRefused(const RunOutcome& outcome, const std::wstring& about) const;
    // The run did its job silently: exit code 0, no window at all, and the
    // product's uninstaller, application and uninstall entry in place.
    void ExpectInstalled(const RunOutcome& outcome) const;
    // The uninstall entry names an uninstaller that exists.
    void ExpectUninstallEntryUsable() const;

    std::wstring Installed(const std::wstring& name) const { return product_->installDir + L"\\" + name; }
    std::wstring UninstallerCommand() const;

    test::ScratchDir dir_;
    std::unique_ptr<test::Installation> product_;
    std::wstring medium_, sibling_;
    std::wstring log_ = dir_ / L"standin.log";
    test::ScopedEnv logVariable_{L"AV_STANDIN_LOG", log_};

private:
    void CleanUp() const;
    std::unique_ptr<Sentinels> sentinels_;
    std::set<std::wstring> before_;
    bool taken_ = false;
};

// A REG_SZ value under HKLM, or "<missing>".
std::wstring ReadString(const std::wstring& key, const wchar_t* name);
bool KeyExists(const std::wstring& key);
using test::Narrow;

} // namespace hostile

namespace hostile {

// Drives a wizard of that title through RunSetup: presses its action
// button once, and its finish button once the end page shows it.
class WizardClicker : public WindowHandler {
public:
    explicit WizardClicker(std::wstring title) : title_(std::move(title)) {}
    void OnWindow(HWND window) override;
    bool Seen() const { return seen_; }

private:
    std::wstring title_;
    bool seen_ = false, finished_ = false;
};

} // namespace hostile
