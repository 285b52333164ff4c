#include "tests/hostile/HostileTest.h"

#include <shlwapi.h>

namespace hostile {

std::wstring ReadString(const std::wstring& key, const wchar_t* name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (::SHGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

bool KeyExists(const std::wstring& key) {
    HKEY handle;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

void HostileTest::SetUp() {
    product_ = std::make_unique<test::Installation>(test::UniqueTag());
    medium_ = dir_ / L"medium";
    test::CopyTree(test::MediumDir(), medium_);
    ASSERT_TRUE(test::FileExists(medium_ + L"\\setup.exe"));
    product_->WriteSetupIni(medium_, 0);
    // Its name starts like the installation folder's: a path cut short or
    // left unquoted would reach it.
    sibling_ = product_->installDir + L" sibling";
    ASSERT_TRUE(::CreateDirectoryW(sibling_.c_str(), nullptr));
    test::WriteTextFile(sibling_ + L"\\keep.txt", "keep");
    ::CreateDirectoryW((sibling_ + L"\\Uninstall").c_str(), nullptr);
    test::WriteTextFile(sibling_ + L"\\Uninstall\\setup.ini", "keep");
    sentinels_ = std::make_unique<Sentinels>(*product_, medium_, sibling_);
}

void HostileTest::TearDown() {
    if (taken_) {
        const std::set<std::wstring> after = sentinels_->Take();
        for (const std::wstring& line : before_) {
            if (!after.count(line)) ADD_FAILURE() << "changed or deleted: " << Narrow(line);
        }
        for (const std::wstring& line : after) {
            if (!before_.count(line) && !sentinels_->MayAdd(line)) ADD_FAILURE() << "written: " << Narrow(line);
        }
    }
    CleanUp();
}

void HostileTest::CleanUp() const {
    // The service goes first, by the service manager: ended by force, its
    // process would leave the manager waiting for it.
    product_->RemoveService();
    test::EndProcessesUnder(product_->installDir);
    test::EndProcessesUnder(medium_);
    product_->RemoveAll();
    test::RemoveTree(sibling_);
    test::DeleteCompatMarksContaining(dir_.Path());
    test::DeleteCompatMarksContaining(product_->installDir);
}

std::wstring HostileTest::Setup(const std::wstring& args) const {
    return L"\"" + medium_ + L"\\setup.exe\"" + (args.empty() ? L"" : L" " + args);
}

std::wstring HostileTest::UninstallerCommand() const {
    return L"\"" + Installed(L"Uninstall\\setup.exe") + L"\" delpkg";
}

RunOutcome HostileTest::Run(const std::wstring& args, DWORD deadlineMs, WindowHandler* handler) {
    return RunCommand(Setup(args), deadlineMs, handler);
}

void HostileTest::Watch() {
    if (taken_) return;
    before_ = sentinels_->Take();
    taken_ = true;
}

namespace {
// As setup.exe reads its words: "s" without "delpkg", or "delpkg" with
// "SilentDel", each perhaps after one "-" or "/".
bool AsksForSilentRun(const std::wstring& commandLine) {
    const size_t programEnd = commandLine.find(L'"', 1);
    std::wstring words = commandLine.substr(programEnd == std::wstring::npos ? 0 : programEnd + 1) + L" ";
    bool s = false, delpkg = false, silentDel = false;
    std::wstring word;
    for (wchar_t c : words) {
        if (c != L' ') {
            word += static_cast<wchar_t>(::towlower(c));
            continue;
        }
        if (!word.empty() && (word[0] == L'-' || word[0] == L'/')) word.erase(0, 1);
        s = s || word == L"s";
        delpkg = delpkg || word == L"delpkg";
        silentDel = silentDel || word == L"silentdel";
        word.clear();
    }
    return delpkg ? silentDel : s;
}
} // namespace

RunOutcome HostileTest::RunCommand(const std::wstring& commandLine, DWORD deadlineMs, WindowHandler* handler) {
    Watch();
    RunOutcome outcome = RunSetup(commandLine, deadlineMs, handler);
    outcome.silent = AsksForSilentRun(commandLine);
    ExpectEndedCleanly(outcome, commandLine, deadlineMs);
    return outcome;
}

void HostileTest::ExpectEndedCleanly(const RunOutcome& outcome, const std::wstring& commandLine,
                                     DWORD deadlineMs) const {
    EXPECT_TRUE(outcome.ended) << "still running after " << deadlineMs << " ms: " << Narrow(commandLine);
    EXPECT_FALSE(IsCrashCode(outcome.exitCode)) << "crashed: 0x" << std::hex << outcome.exitCode;
    // A silent run never shows a window, and every run ends with a closing
    // event naming its exit code.
    if (outcome.silent) {
        EXPECT_TRUE(outcome.failMessages.empty()) << "a Fail box in a silent run: " << Narrow(outcome.failMessages[0]);
        EXPECT_FALSE(outcome.otherWindow) << "a window in a silent run";
    }
    if (outcome.ended) {
        const std::wstring code = std::to_wstring(outcome.exitCode);
        bool closed = false;
        for (const std::wstring& named : outcome.closingCodes) closed = closed || named == code;
        EXPECT_TRUE(closed) << "no closing event with exit code " << outcome.exitCode;
    }
    // Nothing of setup.exe outlives its run (the application or the
    // service tool it starts may).
    for (const std::wstring& folder : {medium_, Installed(L"Uninstall")})
        EXPECT_TRUE(test::ProcessesUnder(folder).empty()) << "left running from " << Narrow(folder);
}

void HostileTest::WriteIniWith(const std::string& customizedLines) const {
    WriteIni("[Customized_Setting]\r\nAPPFolderName=" + Narrow(product_->folder) + "\r\n" + customizedLines +
             "[Startup]\r\nAppName=" + Narrow(product_->appName) + "\r\n");
}

void HostileTest::WriteUnicodeIni(const std::wstring& text) const {
    std::wstring withMark = L"\uFEFF" + text;
    WriteIni(std::string(reinterpret_cast<const char*>(withMark.data()), withMark.size() * sizeof(wchar_t)));
}

void HostileTest::UseDefaultProduct() {
    test::Installation& p = *product_;
    std::wstring parent = p.installDir.substr(0, p.installDir.rfind(L'\\') + 1);
    std::wstring oldGroup = p.group, oldApp = p.appName;
    p.folder = L"HBC71K";
    p.appName = L"Arrayvane";
    p.installDir = parent + p.folder;
    p.group = oldGroup.substr(0, oldGroup.rfind(L'\\') + 1) + p.appName;
    p.desktopLink = p.desktopLink.substr(0, p.desktopLink.rfind(L'\\') + 1) + p.appName + L".lnk";
    p.uninstallKey = test::CurrentVersionKey() + L"Uninstall\\" + p.folder;
    ASSERT_FALSE(test::FileExists(p.installDir)) << "the default product is installed already";
}

void HostileTest::ExpectReported(const RunOutcome& outcome, const std::wstring& about) const {
    EXPECT_NE(0u, outcome.exitCode);
    // Silent: no box (see ExpectEndedCleanly), the exit code says it.
    if (outcome.silent) {
        EXPECT_EQ(1u, outcome.exitCode);
    } else {
        ASSERT_EQ(1u, outcome.failMessages.size()) << "one Fail message";
        EXPECT_NE(std::wstring::npos, outcome.failMessages[0].find(about)) << Narrow(outcome.failMessages[0]);
    }
    ASSERT_EQ(1u, outcome.failureEvents.size()) << "one failure event";
    EXPECT_NE(std::wstring::npos, outcome.failureEvents[0].find(about)) << Narrow(outcome.failureEvents[0]);
}

void HostileTest::ExpectRefused(const RunOutcome& outcome, const std::wstring& about) const {
    ExpectReported(outcome, about);
    EXPECT_FALSE(outcome.otherWindow);
    EXPECT_FALSE(test::FileExists(product_->installDir));
    EXPECT_FALSE(KeyExists(product_->uninstallKey));
    EXPECT_FALSE(test::FileExists(product_->desktopLink));
}

void HostileTest::ExpectInstalled(const RunOutcome& outcome) const {
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.failMessages.empty()) << Narrow(outcome.failMessages.empty() ? L"" : outcome.failMessages[0]);
    EXPECT_TRUE(outcome.failureEvents.empty()) << Narrow(outcome.failureEvents.empty() ? L"" : outcome.failureEvents[0]);
    EXPECT_FALSE(outcome.otherWindow);
    EXPECT_TRUE(test::FileExists(Installed(L"KXRaidSetup.exe")));
    EXPECT_TRUE(test::FileExists(product_->desktopLink));
    ExpectUninstallEntryUsable();
}

void HostileTest::ExpectUninstallEntryUsable() const {
    const std::wstring command = ReadString(product_->uninstallKey, L"UninstallString");
    ASSERT_EQ(UninstallerCommand(), command);
    EXPECT_TRUE(test::FileExists(Installed(L"Uninstall\\setup.exe")));
    EXPECT_TRUE(test::FileExists(Installed(L"Uninstall\\setupENU.dll")));
}

} // namespace hostile

namespace hostile {

void WizardClicker::OnWindow(HWND window) {
    wchar_t title[512] = {};
    ::GetWindowTextW(window, title, 512);
    if (title_ != title) return;
    constexpr WPARAM kAction = 1000;
    if (!seen_) {
        seen_ = true;
        ::PostMessageW(window, WM_COMMAND, kAction, 0);
    } else if (!finished_ && ::IsWindowVisible(::GetDlgItem(window, IDOK))) {
        finished_ = true;
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
}

} // namespace hostile
