// The real setup.exe's wizard, driven from this separate program as a user
// would drive it: real clicks on its buttons, its state read back through
// window messages.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <oleacc.h>

#include "controls/PngImage.h"
#include "framework/ComInit.h"
#include "framework/Gdi.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"
#include "tests/support/Installation.h"
#include "tests/support/Mouse.h"
#include "tests/support/RunLogs.h"
#include "tests/support/TestSupport.h"
#include "tests/wizard/FontProbe.h"
#include "tests/wizard/WizardWindow.h"

namespace {

using wizard::WizardWindow;
using namespace wizard;

constexpr DWORD kProcedureMs = 120000;
// The progress bar's timer.
constexpr DWORD kCreepTickMs = 200;

// The progress bar's positions as they were seen, each change once.
class BarTrace {
public:
    int Note(int position) {
        if (positions_.empty() || positions_.back() != position) positions_.push_back(position);
        return position;
    }
    int Highest() const { return positions_.empty() ? -1 : *std::max_element(positions_.begin(), positions_.end()); }
    int SmallestRise() const {
        int smallest = -1;
        for (size_t i = 1; i < positions_.size(); ++i) {
            const int rise = positions_[i] - positions_[i - 1];
            if (smallest < 0 || rise < smallest) smallest = rise;
        }
        return smallest;
    }
    // Every change a rise by a whole number of steps (a poll may miss a tick).
    bool RisesInSteps(int step) const {
        for (size_t i = 1; i < positions_.size(); ++i) {
            const int rise = positions_[i] - positions_[i - 1];
            if (rise <= 0 || rise % step != 0) return false;
        }
        return true;
    }
    std::string Text() const {
        std::string text;
        for (int position : positions_) text += std::to_string(position) + " ";
        return text;
    }

private:
    std::vector<int> positions_;
};

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The display's dpi that the wizards a test starts read: LogPixels of the
// user's desktop, as the Display control panel sets it (each program reads
// it as it starts). The value before is put back.
class ScopedDisplayDpi {
public:
    explicit ScopedDisplayDpi(DWORD dpi) {
        key_.Create(HKEY_CURRENT_USER, L"Control Panel\\Desktop", KEY_QUERY_VALUE | KEY_SET_VALUE);
        DWORD size = sizeof before_;
        had_ = ::RegQueryValueExW(key_.Get(), L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before_),
                                  &size) == ERROR_SUCCESS;
        key_.SetDword(L"LogPixels", dpi);
    }
    ~ScopedDisplayDpi() {
        if (had_)
            key_.SetDword(L"LogPixels", before_);
        else
            ::RegDeleteValueW(key_.Get(), L"LogPixels");
    }
    ScopedDisplayDpi(const ScopedDisplayDpi&) = delete;
    ScopedDisplayDpi& operator=(const ScopedDisplayDpi&) = delete;

private:
    fw::RegKey key_;
    DWORD before_ = 0;
    bool had_ = false;
};

// Each test installs a product of its own from its own copy of the medium,
// and everything is taken away again afterwards.
class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        // AV_DISPLAY_DPI runs the tests on a display of that dpi.
        if (const std::wstring dpi = test::Env(L"AV_DISPLAY_DPI"); !dpi.empty())
            display_ = std::make_unique<ScopedDisplayDpi>(std::wcstoul(dpi.c_str(), nullptr, 10));
        // AV_HIGH_CONTRAST runs them in High Contrast (WaitForWindow), in a dark theme.
        if (!test::Env(L"AV_HIGH_CONTRAST").empty()) theme_ = std::make_unique<ScopedTheme>(kNightSky);
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        ASSERT_TRUE(test::FileExists(medium_ + L"\\setup.exe"));
        product_.WriteSetupIni(medium_, 0);
    }

    void TearDown() override {
        product_.RemoveAll();
        test::DeleteCompatMarksContaining(dir_.Path());
    }

    std::wstring Setup() const { return L"\"" + medium_ + L"\\setup.exe\""; }
    std::wstring Uninstaller() const { return L"\"" + product_.Installed(L"Uninstall\\setup.exe") + L"\" delpkg"; }
    std::wstring InstallTitle() const { return product_.appName + L" - Installation Wizard"; }
    std::wstring UninstallTitle() const { return product_.appName + L" - Uninstallation Wizard"; }
    // The text the wizard should show for that id: English, or the language
    // the locale of the run chooses.
    std::wstring Ui(UINT id) const {
        const std::wstring language = test::Env(L"AV_EXPECT_LANGUAGE");
        return ModuleText(medium_ + L"\\setup" + (language.empty() ? L"ENU" : language) + L".dll", id);
    }

    void SilentInstall() {
        test::Process setup(Setup() + L" s");
        ASSERT_EQ(0, setup.Wait(kProcedureMs));
    }

    // Clicks the action button and waits for the end page, answering any
    // "Fail" box of the engine on the way. Tells whether a box came.
    bool ClickActionAndWaitForTheEndPage(const WizardWindow& wizard, DWORD processId) {
        wizard.Click(kAction);
        bool failBox = false;
        bool ended = test::WaitFor([&] {
            if (HWND box = test::FindProcessWindow(processId, L"Fail")) {
                failBox = true;
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            return wizard.Visible(kFinish);
        }, kProcedureMs);
        EXPECT_TRUE(ended) << "no end page";
        return failBox;
    }

    // An earlier installation with its application running: the install
    // (or uninstall) then closes it and waits a second for it to go, long
    // enough to watch the progress page.
    void InstallAndStartTheApplication() {
        SilentInstall();
        // It takes a second to end once its window has closed, which the
        // install waits for: long enough to see the progress page at work.
        const test::ScopedEnv slowEnd(L"AV_STANDIN_END_MS", L"1000");
        application_ = std::make_unique<test::Process>(L"\"" + product_.Installed(L"KXRaidSetup.exe") + L"\"");
        ASSERT_TRUE(test::WaitFor([&] { return ApplicationWindow() != nullptr; }));
        ::DeleteFileW(log_.c_str());
    }

    HWND ApplicationWindow() const { return ::FindWindowW(nullptr, product_.appName.c_str()); }

    // Whether the ended setup.exe started the application: its process is
    // there from the moment the launch returned, so nothing needs to wait
    // for the program to log its start.
    bool ApplicationStartedBy(test::Process& setup) const {
        return !test::ChildProcesses(setup.Id(), L"KXRaidSetup.exe").empty() ||
               ReadFile(log_).find("KXRaidSetup.exe") != std::string::npos;
    }

    test::ScratchDir dir_;
    test::Installation product_{test::UniqueTag()};
    std::wstring medium_;
    std::wstring log_ = dir_ / L"standin.log";
    test::ScopedEnv logVariable_{L"AV_STANDIN_LOG", log_};
    std::unique_ptr<test::Process> application_;
    std::unique_ptr<ScopedDisplayDpi> display_;
    std::unique_ptr<ScopedTheme> theme_;
};

struct Placement {
    const char* name;
    int id;
    RECT place;  // left, top, width, height
    // The height is the least: a line of the control's font may need more.
    bool tallerForItsFont = false;
};

const Placement kPlacements[] = {
    {"title", kTitle, {14, 7, 524, 16}, true},
    {"upper text", kUpperText, {35, 55, 514, 35}},
    {"lower text", kLowerText, {200, 170, 354, 60}},
    {"close button", kCloseButton, {552, 11, 20, 17}},
    {"action button", kAction, {312, 380, 111, 22}},
    {"finish button", kFinish, {312, 380, 111, 22}},
    {"Cancel button", kCancel, {451, 380, 111, 22}},
    // The box's width is its picture's and its caption's: not fixed here.
    {"launch box", kLaunchBox, {200, 235, -1, 28}},
    {"progress bar", kProgressBar, {205, 235, 339, 30}},
};

TEST_F(WizardTest, ReadyPageOfTheInstallAndItsCloseButton) {
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());

    // The texts, from the English language module.
    EXPECT_EQ(InstallTitle(), wizard.Title());
    EXPECT_EQ(InstallTitle(), wizard.Text(kTitle));
    for (auto [id, text] : {std::pair{kUpperText, 5}, {kLowerText, 4}, {kAction, 1}, {kCancel, 2},
                            {kFinish, 3}, {kLaunchBox, 20}}) {
        ASSERT_FALSE(Ui(text).empty()) << text;
        EXPECT_EQ(Ui(text), wizard.Text(id)) << "control " << id;
    }

    // The background's size, centred; its shape less the magenta corners.
    const RECT frame = wizard.Frame();
    EXPECT_EQ(584, frame.right - frame.left);
    EXPECT_EQ(411, frame.bottom - frame.top);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN) / 2 - 584 / 2, frame.left);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN) / 2 - 411 / 2, frame.top);
    EXPECT_EQ(584L * 411 - 71, wizard.RegionArea());
    for (const Placement& expected : kPlacements) {
        const RECT place = wizard.Place(expected.id);
        EXPECT_EQ(expected.place.left, place.left) << expected.name;
        EXPECT_EQ(expected.place.top, place.top) << expected.name;
        if (expected.place.right >= 0) {
            EXPECT_EQ(expected.place.right, place.right) << expected.name << " width";
        }
        EXPECT_EQ(expected.place.bottom, place.bottom) << expected.name << " height";
    }

    for (int id : {kAction, kCancel, kCloseButton}) {
        EXPECT_TRUE(wizard.Visible(id)) << id;
        EXPECT_TRUE(wizard.Enabled(id)) << id;
    }
    for (int id : {kFinish, kProgressBar, kLaunchBox}) EXPECT_FALSE(wizard.Visible(id)) << id;

    // The close button asks to close, as the system menu would: the wizard
    // ends and nothing was installed.
    wizard.Click(kCloseButton);
    EXPECT_NE(-1, setup.Wait(30000))
        << (wizard.Exists() ? "the wizard is still open" : "the wizard has gone, setup.exe has not ended");
    EXPECT_FALSE(test::FileExists(product_.installDir));
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

// Replaces a resource of a program file, in every language it has, with
// `data`. True when the file then holds it.
bool ReplaceResource(const std::wstring& program, LPCWSTR type, int id, const void* data, DWORD size) {
    std::vector<WORD> languages;
    {
        fw::Module module(::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!module.Get()) return false;
        ::EnumResourceLanguagesW(module.Get(), type, MAKEINTRESOURCEW(id), &CollectLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
    }
    HANDLE update = ::BeginUpdateResourceW(program.c_str(), FALSE);
    if (!update || languages.empty()) return false;
    for (WORD language : languages)
        ::UpdateResourceW(update, type, MAKEINTRESOURCEW(id), language, const_cast<void*>(data), size);
    if (!::EndUpdateResourceW(update, FALSE)) return false;
    fw::Module changed(::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    HRSRC resource = changed.Get() ? ::FindResourceW(changed.Get(), MAKEINTRESOURCEW(id), type) : nullptr;
    return resource && ::SizeofResource(changed.Get(), resource) == size;
}

// Spoils a bitmap: what is left cannot be loaded as one.
bool SpoilBitmap(const std::wstring& program, int id) {
    const char spoiled[4] = {};
    return ReplaceResource(program, RT_BITMAP, id, spoiled, sizeof spoiled);
}

// A wizard that cannot be shown did nothing: it says so and ends with 1,
// never with the 0 of a run that did its job.
TEST_F(WizardTest, AWizardThatCannotBeShownFails) {
    // The wizard's template names a window class that does not exist, so
    // the dialog cannot be made (as on a session without a desktop).
    std::vector<BYTE> dialog(sizeof(DLGTEMPLATE));
    reinterpret_cast<DLGTEMPLATE*>(dialog.data())->style = WS_POPUP;
    auto add = [&](const std::wstring& text) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
        dialog.insert(dialog.end(), bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
    };
    add(L"");              // no menu
    add(L"NoSuchClass");   // the window class
    add(L"");              // no title
    ASSERT_TRUE(ReplaceResource(medium_ + L"\\setup.exe", RT_DIALOG, 102, dialog.data(),
                                static_cast<DWORD>(dialog.size())));
    test::Process setup(Setup());
    HWND box = WaitForWindow(setup.Id(), L"Fail");
    ASSERT_NE(nullptr, box) << "no Fail box";
    wchar_t text[256] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 256);
    EXPECT_STREQ(L"Fail to show the wizard!", text);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1, setup.Wait(30000));
}

// A setup.exe whose background bitmap cannot be loaded says so, then shows the
// wizard in its template's size, centred, as a plain rectangle.
TEST_F(WizardTest, WithoutItsBackgroundTheWizardSaysSoAndKeepsItsTemplateSize) {
    ASSERT_TRUE(SpoilBitmap(medium_ + L"\\setup.exe", 130));
    test::Process setup(Setup());
    HWND box = WaitForWindow(setup.Id(), L"Arrayvane");
    ASSERT_NE(nullptr, box) << "no message box";
    wchar_t text[256] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's text is its static 0xFFFF
    EXPECT_STREQ(L"Error loading bitmap", text);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);

    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    const RECT frame = wizard.Frame();
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    EXPECT_GT(width, 200);
    EXPECT_GT(height, 100);
    EXPECT_NE(584, width);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2, frame.left);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, frame.top);
    EXPECT_EQ(-1, wizard.RegionArea()) << "a window without a background has no region";
    EXPECT_EQ(Ui(5), wizard.Text(kUpperText));

    ::PostMessageW(wizard.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(-1, setup.Wait(30000));
}

TEST_F(WizardTest, InstallShowsProgressThenFinishedAndLaunchesOnceTheWizardHasGone) {
    InstallAndStartTheApplication();
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    wizard.Click(kAction);

    // The progress page: the running application takes a second to end,
    // so the page and the bar's first steps are seen.
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Text(kLowerText) == Ui(6) || wizard.Visible(kFinish); }));
    ASSERT_FALSE(wizard.Visible(kFinish)) << "the progress page was never seen";
    EXPECT_TRUE(wizard.Visible(kProgressBar));
    EXPECT_EQ(Ui(16), wizard.Text(kUpperText));
    EXPECT_EQ(Ui(6), wizard.Text(kLowerText));
    for (int id : {kAction, kCancel, kCloseButton}) EXPECT_FALSE(wizard.Enabled(id)) << id;
    const int first = wizard.BarPosition();
    // The end notice sets 100; climbing means a step short of that.
    bool climbed = false;
    test::WaitFor([&] {
        const int now = wizard.BarPosition();
        climbed = now > first && now <= 95;
        return climbed || wizard.Visible(kFinish);
    });
    EXPECT_TRUE(climbed) << "the bar stood at " << first;

    ASSERT_TRUE(test::WaitFor([&] { return wizard.Visible(kFinish); }, kProcedureMs));
    EXPECT_EQ(Ui(7), wizard.Text(kUpperText));
    EXPECT_EQ(Ui(8), wizard.Text(kLowerText));
    EXPECT_TRUE(wizard.Visible(kLaunchBox));
    EXPECT_TRUE(wizard.Checked(kLaunchBox));
    EXPECT_FALSE(wizard.Visible(kProgressBar));
    EXPECT_FALSE(wizard.Visible(kAction));
    EXPECT_FALSE(wizard.Enabled(kCancel));
    EXPECT_TRUE(wizard.Enabled(kCloseButton));
    EXPECT_EQ(nullptr, ApplicationWindow()) << "the earlier application was not closed";

    wizard.Click(kFinish);
    bool wizardGoneFirst = false;
    EXPECT_TRUE(test::WaitFor([&] {
        if (!ApplicationWindow()) return false;
        wizardGoneFirst = !wizard.Exists();
        return true;
    })) << "the application never came";
    EXPECT_TRUE(wizardGoneFirst);
    EXPECT_NE(-1, setup.Wait());
}

TEST_F(WizardTest, UntickingTheLaunchBoxStartsNothing) {
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    ClickActionAndWaitForTheEndPage(wizard, setup.Id());
    ASSERT_TRUE(wizard.Checked(kLaunchBox));

    wizard.Click(kLaunchBox);
    EXPECT_TRUE(test::WaitFor([&] { return !wizard.Checked(kLaunchBox); }));
    wizard.Click(kFinish);
    EXPECT_EQ(0, setup.Wait());
    EXPECT_TRUE(test::FileExists(product_.Installed(L"KXRaidSetup.exe")));
    EXPECT_FALSE(ApplicationStartedBy(setup));
}

TEST_F(WizardTest, FailedInstallShowsTheFailedPageAndItsFinishLaunchesNothing) {
    // On NT 6 the service cannot be registered without its tool; before
    // NT 6 the medium lacks the application. Either is a "Fail" message.
    const bool nt6 = test::ExpectedNt6() == 1;
    ASSERT_TRUE(::DeleteFileW((medium_ + (nt6 ? L"\\Application\\ArrSvcSetup.exe" : L"\\Application\\KXRaidSetup.exe")).c_str()));
    const test::LogFolder logs(dir_ / L"temp");
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    wizard.Click(kAction);
    HWND box = nullptr;
    BarTrace bar;
    ASSERT_TRUE(test::WaitFor([&] {
        bar.Note(wizard.BarPosition());
        return (box = test::FindProcessWindow(setup.Id(), L"Fail")) != nullptr || wizard.Visible(kFinish);
    }, kProcedureMs));
    ASSERT_NE(nullptr, box) << "no Fail box";
    // On disk while the box waits: a run ended there keeps its failure.
    EXPECT_NE(std::wstring::npos, logs.Newest().find(L" FAILED: ")) << test::Narrow(logs.Newest());
    // While the worker waits in the box, the bar creeps on in steps of 5 up
    // to 95, and stays there for the ticks after.
    EXPECT_TRUE(test::WaitFor([&] { return bar.Note(wizard.BarPosition()) >= 95; }, 10000));
    test::WaitFor([&] { return bar.Note(wizard.BarPosition()) != 95; }, 3 * kCreepTickMs);
    EXPECT_EQ(95, bar.Highest());
    EXPECT_EQ(5, bar.SmallestRise());
    EXPECT_TRUE(bar.RisesInSteps(5)) << bar.Text();
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Visible(kFinish); }, kProcedureMs));

    EXPECT_EQ(Ui(9), wizard.Text(kUpperText));
    EXPECT_EQ(Ui(8), wizard.Text(kLowerText));
    EXPECT_TRUE(wizard.Visible(kProgressBar));
    EXPECT_FALSE(wizard.Visible(kLaunchBox));
    EXPECT_FALSE(wizard.Visible(kAction));
    EXPECT_FALSE(wizard.Enabled(kCancel));
    EXPECT_TRUE(wizard.Enabled(kCloseButton));

    wizard.Click(kFinish);
    EXPECT_EQ(1, setup.Wait()) << "a failed install ends with 1";
    EXPECT_FALSE(ApplicationStartedBy(setup));
}

// The end pages of runs that meet a held file (a restart completes them:
// the restart box instead of the launch box, exit 3010) and of an older medium over a newer
// installation (its box names the installed version, then the failed page,
// exit 1638).
TEST_F(WizardTest, EndPagesOfHeldFilesAndOfANewerInstallation) {
    struct EndCase {
        const char* name;
        bool uninstall;
        bool held;                 // mingwm10.dll held open by another program
        const wchar_t* installed;  // DisplayVersion set before the run
        UINT upper;
        int exitCode;
    };
    const EndCase cases[] = {
        {"install with a held file", false, true, nullptr, 22, 3010},
        {"an older medium", false, false, L"9.00.00", 9, 1638},
        {"uninstall with a held file", true, true, nullptr, 23, 3010},
    };
    SilentInstall();
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.held) {
            held = ::CreateFileW(product_.Installed(L"mingwm10.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
        }
        if (c.installed) {
            ::SHSetValueW(HKEY_LOCAL_MACHINE, product_.uninstallKey.c_str(), L"DisplayVersion", REG_SZ, c.installed,
                          static_cast<DWORD>((::lstrlenW(c.installed) + 1) * sizeof(wchar_t)));
        }
        test::Process setup(c.uninstall ? Uninstaller() : Setup());
        WizardWindow wizard(WaitForWindow(setup.Id(), c.uninstall ? UninstallTitle() : InstallTitle()));
        ASSERT_TRUE(wizard.Exists());
        wizard.Click(kAction);
        HWND box = nullptr;
        ASSERT_TRUE(test::WaitFor([&] {
            return (box = test::FindProcessWindow(setup.Id(), L"Fail")) != nullptr || wizard.Visible(kFinish);
        }, kProcedureMs));
        if (c.installed) {
            ASSERT_NE(nullptr, box) << "no Fail box";
            wchar_t text[1024] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
            wchar_t expected[1024] = {};
            ::wsprintfW(expected, Ui(24).c_str(), c.installed);
            EXPECT_EQ(std::wstring(expected), text);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        } else {
            EXPECT_EQ(nullptr, box);
        }
        ASSERT_TRUE(test::WaitFor([&] { return wizard.Visible(kFinish); }, kProcedureMs));
        EXPECT_EQ(Ui(c.upper), wizard.Text(kUpperText));
        EXPECT_EQ(Ui(8), wizard.Text(kLowerText));
        // A restart completes it: the restart box, unticked, where the launch box was.
        EXPECT_EQ(c.held, wizard.Visible(kLaunchBox));
        if (c.held) {
            EXPECT_EQ(Ui(25), wizard.Text(kLaunchBox));
        }
        EXPECT_FALSE(wizard.Checked(kLaunchBox));
        wizard.Click(kFinish);
        EXPECT_EQ(c.exitCode, setup.Wait());
        EXPECT_FALSE(ApplicationStartedBy(setup));
        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    }
}

// "Restart now" on the finished page of an install that a restart
// completes: left unticked, as it comes, Finish restarts nothing (3010, the
// replacement still queued); ticked, setup.exe asks Windows to restart, and
// the restart (Wine's wineboot ends the session's programs, then performs
// the queued replacements) puts the medium's file in place.
TEST_F(WizardTest, RestartNowRestartsOnlyWhenTickedAndTheRestartFinishesTheHeldFile) {
    SilentInstall();
    // The medium's copy differs from the installed one, so the restart's work shows.
    const std::wstring source = medium_ + L"\\Application\\mingwm10.dll";
    test::WriteTextFile(source, ReadFile(source) + "restart");
    const std::wstring target = product_.Installed(L"mingwm10.dll");
    const test::LogFolder logs(dir_ / L"temp");
    for (const bool tick : {false, true}) {
        SCOPED_TRACE(tick ? "ticked" : "left unticked");
        HANDLE held = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        test::Process setup(Setup());
        WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
        ASSERT_TRUE(wizard.Exists());
        EXPECT_FALSE(ClickActionAndWaitForTheEndPage(wizard, setup.Id()));
        EXPECT_EQ(Ui(22), wizard.Text(kUpperText));
        ASSERT_TRUE(wizard.Visible(kLaunchBox));
        EXPECT_EQ(Ui(25), wizard.Text(kLaunchBox));
        EXPECT_FALSE(wizard.Checked(kLaunchBox));
        EXPECT_FALSE(wizard.Visible(kProgressBar));
        if (tick) {
            // As the launch box: a check box named by its text, reached by Tab, ticked by Space.
            fw::ComInit com;
            EXPECT_EQ("role 44, name '" + Utf8Text(Ui(25)) + "', state 0x100000, action 'Check'",
                      wizard.Accessible(kLaunchBox));
            for (int tabs = 0; tabs < 4 && wizard.Focus() != wizard.Item(kLaunchBox); ++tabs) {
                const HWND before = wizard.Focus();
                wizard.Press(VK_TAB);
                test::WaitFor([&] { return wizard.Focus() != before; });
            }
            ASSERT_EQ(wizard.Item(kLaunchBox), wizard.Focus());
            wizard.Press(VK_SPACE);
            ASSERT_TRUE(test::WaitFor([&] { return wizard.Checked(kLaunchBox); }));
        }
        wizard.Click(kFinish);
        // As a restart ends every program first.
        ::CloseHandle(held);
        EXPECT_EQ(3010, setup.Wait());
        const std::wstring log = logs.Newest();
        const bool asked = log.find(L"Restart: the user chose to restart now") != std::wstring::npos;
        EXPECT_EQ(tick, asked) << test::Narrow(log);
        if (!tick) {
            EXPECT_NE(std::wstring::npos, test::PendingFileRenames().find(target + L".avsetup-new"));
            EXPECT_FALSE(ReadFile(source) == ReadFile(target)) << "replaced before the restart";
            continue;
        }
        EXPECT_TRUE(test::WaitFor([&] { return test::PendingFileRenames().find(product_.installDir) == std::wstring::npos; },
                                  kProcedureMs)) << test::Narrow(test::PendingFileRenames());
        EXPECT_TRUE(test::WaitFor([&] { return test::ChildProcesses(setup.Id(), L"wineboot.exe").empty(); }, kProcedureMs));
        EXPECT_TRUE(ReadFile(source) == ReadFile(target)) << "not replaced at the restart";
        EXPECT_FALSE(test::FileExists(target + L".avsetup-new"));
    }
    // The restart starts what Windows starts at logon (on XP, the application).
    test::EndProcessesUnder(product_.installDir);
}

TEST_F(WizardTest, UninstallWizardRemovesTheProductAndItsScriptTheUninstaller) {
    InstallAndStartTheApplication();
    ASSERT_TRUE(test::FileExists(product_.Installed(L"Uninstall\\setup.exe")));
    test::Process setup(Uninstaller());
    WizardWindow wizard(WaitForWindow(setup.Id(), UninstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    EXPECT_EQ(UninstallTitle(), wizard.Text(kTitle));
    EXPECT_EQ(Ui(11), wizard.Text(kUpperText));
    EXPECT_EQ(Ui(12), wizard.Text(kLowerText));
    EXPECT_EQ(Ui(10), wizard.Text(kAction));
    EXPECT_EQ(L"", wizard.Text(kLaunchBox));

    wizard.Click(kAction);
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Text(kLowerText) == Ui(13) || wizard.Visible(kFinish); }));
    ASSERT_FALSE(wizard.Visible(kFinish)) << "the progress page was never seen";
    EXPECT_TRUE(wizard.Visible(kProgressBar));
    EXPECT_EQ(Ui(17), wizard.Text(kUpperText));
    EXPECT_EQ(Ui(13), wizard.Text(kLowerText));
    for (int id : {kAction, kCancel, kCloseButton}) EXPECT_FALSE(wizard.Enabled(id)) << id;

    ASSERT_TRUE(test::WaitFor([&] { return wizard.Visible(kFinish); }, kProcedureMs));
    EXPECT_EQ(Ui(15), wizard.Text(kUpperText));
    EXPECT_EQ(Ui(8), wizard.Text(kLowerText));
    EXPECT_TRUE(wizard.Visible(kProgressBar));
    EXPECT_EQ(100, wizard.BarPosition());
    EXPECT_FALSE(wizard.Visible(kLaunchBox));
    EXPECT_FALSE(wizard.Enabled(kCancel));
    EXPECT_FALSE(test::FileExists(product_.Installed(L"KXRaidSetup.exe")));

    wizard.Click(kFinish);
    EXPECT_NE(-1, setup.Wait());
    // Once the uninstaller has ended, its script takes its folder and itself.
    EXPECT_TRUE(test::WaitFor([&] {
        return !test::FileExists(product_.Installed(L"Uninstall")) &&
               !test::FileExists(product_.Installed(L"KxUninst.bat"));
    }, 60000));
    EXPECT_FALSE(ApplicationStartedBy(setup));
}

TEST_F(WizardTest, CancelOnTheUninstallReadyPageRemovesNothing) {
    SilentInstall();
    test::Process setup(Uninstaller());
    WizardWindow wizard(WaitForWindow(setup.Id(), UninstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    wizard.Click(kCancel);
    EXPECT_NE(-1, setup.Wait());
    // The script would have been written before the process ended.
    EXPECT_FALSE(test::FileExists(product_.Installed(L"KxUninst.bat")));
    EXPECT_TRUE(test::FileExists(product_.Installed(L"KXRaidSetup.exe")));
    EXPECT_TRUE(test::FileExists(product_.Installed(L"Uninstall\\setup.exe")));
}

// Escape and Alt+F4 end the wizard on the ready page, where Cancel is on.
TEST_F(WizardTest, EscapeAndAltF4EndTheReadyPageWhereTheFocusStartsOnTheActionButton) {
    const struct { const char* name; WORD key, modifier; } kKeys[] = {
        {"Escape", VK_ESCAPE, 0}, {"Alt+F4", VK_F4, VK_MENU}};
    for (const auto& keys : kKeys) {
        test::Process setup(Setup());
        WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
        ASSERT_TRUE(wizard.Exists()) << keys.name;
        EXPECT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kAction); })) << keys.name;
        wizard.Press(keys.key, keys.modifier);
        EXPECT_NE(-1, setup.Wait(30000)) << keys.name;
    }
    EXPECT_FALSE(test::FileExists(product_.installDir));
}

// Presses keys that must change nothing, then Tab: once the focus has moved
// on, the keys before it have been handled and refused.
void PressRefusedKeysThenTab(const WizardWindow& wizard) {
    const HWND before = wizard.Focus();
    wizard.Press(VK_ESCAPE);
    wizard.Press(VK_F4, VK_MENU);
    wizard.Press(VK_TAB);
    EXPECT_TRUE(test::WaitFor([&] { return !wizard.Exists() || wizard.Focus() != before; }));
    EXPECT_TRUE(wizard.Exists()) << "Escape or Alt+F4 ended the wizard";
}

// Waits for the end page, noting every moment the focus was astray.
std::string WaitForTheEndPageWatchingTheFocus(const WizardWindow& wizard) {
    std::string faults;
    EXPECT_TRUE(test::WaitFor([&] {
        faults += wizard.FocusFault();
        return wizard.Visible(kFinish);
    }, kProcedureMs));
    return faults;
}

TEST_F(WizardTest, InstallByKeyboardAloneAndUntickTheLaunchBox) {
    InstallAndStartTheApplication();  // the progress page lasts a second
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kAction); }));
    wizard.Press(VK_RETURN);
    ASSERT_TRUE(test::WaitFor([&] { return !wizard.Enabled(kCancel); }));
    EXPECT_EQ("", wizard.FocusFault());
    wizard.Press(VK_ESCAPE);
    wizard.Press(VK_F4, VK_MENU);
    EXPECT_EQ("", WaitForTheEndPageWatchingTheFocus(wizard));
    ASSERT_TRUE(wizard.Exists()) << "Escape or Alt+F4 ended the progress page";

    EXPECT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kFinish); }));
    PressRefusedKeysThenTab(wizard);
    // Tab visits what is shown and enabled, in the template's order.
    std::vector<int> visited = {::GetDlgCtrlID(wizard.Focus())};
    for (int i = 0; i < 2; ++i) {
        const HWND before = wizard.Focus();
        wizard.Press(VK_TAB);
        EXPECT_TRUE(test::WaitFor([&] { return wizard.Focus() != before; }));
        visited.push_back(::GetDlgCtrlID(wizard.Focus()));
    }
    EXPECT_EQ((std::vector<int>{kCloseButton, kLaunchBox, kFinish}), visited);
    wizard.Press(VK_TAB, VK_SHIFT);
    EXPECT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kLaunchBox); }));
    ASSERT_TRUE(wizard.Checked(kLaunchBox));
    wizard.Press(VK_SPACE);
    EXPECT_TRUE(test::WaitFor([&] { return !wizard.Checked(kLaunchBox); }));
    wizard.Press(VK_RETURN);
    EXPECT_EQ(0, setup.Wait());
    EXPECT_FALSE(ApplicationStartedBy(setup));
}

TEST_F(WizardTest, UninstallByKeyboardAlone) {
    SilentInstall();
    test::Process setup(Uninstaller());
    WizardWindow wizard(WaitForWindow(setup.Id(), UninstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kAction); }));
    wizard.Press(VK_RETURN);
    EXPECT_EQ("", WaitForTheEndPageWatchingTheFocus(wizard));
    EXPECT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kFinish); }));
    PressRefusedKeysThenTab(wizard);
    EXPECT_EQ(wizard.Item(kCloseButton), wizard.Focus());
    wizard.Press(VK_RETURN);
    EXPECT_NE(-1, setup.Wait());
    EXPECT_FALSE(test::FileExists(product_.Installed(L"KXRaidSetup.exe")));
}

// What a screen reader must hear of each control on a page.
struct Heard {
    int id;
    long role;  // 43 push button, 44 check box, 41 static text
    UINT name;  // string id; 0: the window's title
    long state;
    const char* action;
};

constexpr long kFocusable = STATE_SYSTEM_FOCUSABLE, kFocused = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE,
               kOff = STATE_SYSTEM_UNAVAILABLE, kHidden = STATE_SYSTEM_INVISIBLE, kText = STATE_SYSTEM_READONLY;

const Heard kReadyPage[] = {
    {kAction, 43, 1, kFocused, "Press"},          {kCancel, 43, 2, kFocusable, "Press"},
    {kCloseButton, 43, 21, kFocusable, "Press"},  {kFinish, 43, 3, kHidden | kFocusable, "Press"},
    {kLaunchBox, 44, 20, kHidden | kFocusable, "Check"},
    {kUpperText, 41, 5, kText, ""}, {kLowerText, 41, 4, kText, ""}, {kTitle, 41, 0, kText, ""}};
const Heard kProgressPage[] = {
    {kAction, 43, 1, kOff, "Press"},        {kCancel, 43, 2, kOff, "Press"},
    {kCloseButton, 43, 21, kOff, "Press"},  {kFinish, 43, 3, kHidden | kFocusable, "Press"},
    {kLaunchBox, 44, 20, kHidden | kFocusable, "Check"},
    {kUpperText, 41, 16, kText, ""}, {kLowerText, 41, 6, kText, ""}, {kTitle, 41, 0, kText, ""}};
const Heard kFailedPage[] = {
    {kAction, 43, 1, kHidden | kOff, "Press"},  {kCancel, 43, 2, kOff, "Press"},
    {kCloseButton, 43, 21, kFocusable, "Press"}, {kFinish, 43, 3, kFocused, "Press"},
    {kLaunchBox, 44, 20, kHidden | kFocusable, "Check"},
    {kUpperText, 41, 9, kText, ""}, {kLowerText, 41, 8, kText, ""}, {kTitle, 41, 0, kText, ""}};
const Heard kFinishedPage[] = {
    {kAction, 43, 1, kHidden | kOff, "Press"},  {kCancel, 43, 2, kOff, "Press"},
    {kCloseButton, 43, 21, kFocusable, "Press"}, {kFinish, 43, 3, kFocused, "Press"},
    {kLaunchBox, 44, 20, kFocusable | STATE_SYSTEM_CHECKED, "Uncheck"},
    {kUpperText, 41, 7, kText, ""}, {kLowerText, 41, 8, kText, ""}, {kTitle, 41, 0, kText, ""}};

class AccessibleTest : public WizardTest {
protected:
    template <size_t N>
    void ExpectHeard(const WizardWindow& wizard, const Heard (&page)[N], const char* pageName) {
        for (const Heard& control : page) {
            const std::wstring name = control.name ? Ui(control.name) : InstallTitle();
            char state[16];
            ::wsprintfA(state, "0x%lx", control.state);
            EXPECT_EQ("role " + std::to_string(control.role) + ", name '" + Utf8Text(name) + "', state " + state +
                          ", action '" + control.action + "'",
                      wizard.Accessible(control.id))
                << pageName << ", control " << control.id;
        }
    }
    fw::ComInit com_;
};

TEST_F(AccessibleTest, EveryControlOnTheReadyProgressAndFailedPages) {
    ASSERT_TRUE(::DeleteFileW((medium_ + (test::ExpectedNt6() == 1 ? L"\\Application\\ArrSvcSetup.exe"
                                                                   : L"\\Application\\KXRaidSetup.exe")).c_str()));
    test::MoveMouseAway();
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kAction); }));
    ExpectHeard(wizard, kReadyPage, "ready page");

    // The action button's default action starts the install; its "Fail"
    // box holds the progress page.
    ASSERT_TRUE(wizard.DoDefaultAction(kAction));
    HWND box = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return (box = test::FindProcessWindow(setup.Id(), L"Fail")) != nullptr; },
                              kProcedureMs));
    ExpectHeard(wizard, kProgressPage, "progress page");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Visible(kFinish); }, kProcedureMs));
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kFinish); }));
    ExpectHeard(wizard, kFailedPage, "failed page");
    EXPECT_TRUE(wizard.DoDefaultAction(kFinish));
    EXPECT_EQ(1, setup.Wait());
}

TEST_F(AccessibleTest, EveryControlOnTheFinishedPageAndTheLaunchBoxUntickedByItsDefaultAction) {
    test::MoveMouseAway();
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    ASSERT_TRUE(wizard.DoDefaultAction(kAction));
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Visible(kFinish); }, kProcedureMs));
    ASSERT_TRUE(test::WaitFor([&] { return wizard.Focus() == wizard.Item(kFinish); }));
    ExpectHeard(wizard, kFinishedPage, "finished page");
    ASSERT_TRUE(wizard.DoDefaultAction(kLaunchBox));
    EXPECT_TRUE(test::WaitFor([&] { return !wizard.Checked(kLaunchBox); }));
    EXPECT_NE(std::string::npos, wizard.Accessible(kLaunchBox).find("action 'Check'"));
    EXPECT_TRUE(wizard.DoDefaultAction(kFinish));
    EXPECT_EQ(0, setup.Wait());
    EXPECT_FALSE(ApplicationStartedBy(setup));
}

constexpr int kDragStep = 4;

// The window's thread as the system sees it: its capture, and whether it
// runs the system's move or size loop.
GUITHREADINFO GuiThreadOf(HWND hwnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &info);
    return info;
}
bool InMoveLoop(HWND hwnd) { return (GuiThreadOf(hwnd).flags & GUI_INMOVESIZE) != 0; }

bool Offset(const RECT& frame, const RECT& start, POINT by) {
    return frame.left - start.left == by.x && frame.top - start.top == by.y;
}

// Presses the left button at a point of the client area, moves the pointer
// by (dx, dy) in small steps and releases it there, each event once the
// one before it has arrived. A drag that should move the window starts once
// the press has started the move loop (which takes the pointer's place then
// as its origin) and takes each step once the window has followed the one
// before; any other starts once the press has given a control the capture.
// Under Wine the wizard's display connection can report an earlier place
// of the pointer late and so put the cursor back: a step is sent again
// while the cursor does not stand where it went.
void Drag(const WizardWindow& wizard, POINT from, int dx, int dy, bool moves) {
    const HWND hwnd = wizard.Hwnd();
    const RECT before = wizard.Frame();
    const POINT press = test::ScreenPoint(hwnd, from);
    test::MouseMove(press);
    test::MouseDown(press);
    EXPECT_TRUE(test::WaitFor([&] { return moves ? InMoveLoop(hwnd) : GuiThreadOf(hwnd).hwndCapture != nullptr; }, 5000))
        << (moves ? "the press started no move" : "the press reached no control");
    const int steps = std::max(std::abs(dx), std::abs(dy)) / kDragStep;
    for (int step = 1; step <= steps; ++step) {
        const POINT to = {press.x + dx * step / steps, press.y + dy * step / steps};
        test::MouseMove(to);
        const bool arrived = test::WaitFor([&] {
            POINT cursor = {};
            if (::GetCursorPos(&cursor) && (cursor.x != to.x || cursor.y != to.y)) {
                test::MouseMove(to);
                return false;
            }
            return !moves || Offset(wizard.Frame(), before, POINT{to.x - press.x, to.y - press.y});
        }, 5000);
        if (!arrived) {
            ADD_FAILURE() << "step " << step << " of " << steps << ": the window stands at " << wizard.Frame().left
                          << "," << wizard.Frame().top << (InMoveLoop(hwnd) ? ", in" : ", out of") << " the move loop";
            break;
        }
    }
    test::MouseUp(POINT{press.x + dx, press.y + dy});
    EXPECT_TRUE(test::WaitFor([&] { const GUITHREADINFO info = GuiThreadOf(hwnd);
        return !(info.flags & GUI_INMOVESIZE) && info.hwndCapture == nullptr; }, 5000)) << "the release did not arrive";
}

TEST_F(WizardTest, DraggingTheBodyMovesTheWindowAndPressingAButtonDoesNot) {
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());

    // A press on the Cancel button, dragged off it before the release: the
    // window stays, and the button does not fire (a click would have hidden
    // the window before the button let the capture go).
    const RECT start = wizard.Frame();
    const RECT cancel = wizard.Place(kCancel);
    Drag(wizard, POINT{cancel.left + cancel.right / 2, cancel.top + cancel.bottom / 2}, -80, -60, false);
    EXPECT_TRUE(::IsWindowVisible(wizard.Hwnd()));
    EXPECT_TRUE(Offset(wizard.Frame(), start, POINT{0, 0})) << "moved to " << wizard.Frame().left << "," << wizard.Frame().top;

    // A press on the bare background left of the lower text moves it.
    Drag(wizard, POINT{100, 300}, 60, 40, true);
    EXPECT_TRUE(Offset(wizard.Frame(), start, POINT{60, 40}))
        << "stands at " << wizard.Frame().left << "," << wizard.Frame().top;

    ::PostMessageW(wizard.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(-1, setup.Wait(30000));
}

int Scaled(int pixels, int dpi) { return ::MulDiv(pixels, dpi, 96); }

// Every text a control shows on any page, install and uninstall: string ids
// of the language module (the title is the window's own).
struct PageTexts {
    const char* name;
    int id;
    std::vector<UINT> texts;
};
const PageTexts kPageTexts[] = {
    {"upper text", kUpperText, {5, 16, 7, 9, 11, 17, 15, 14, 22, 23}},
    {"lower text", kLowerText, {4, 6, 8, 12, 13}},
    {"action button", kAction, {1, 10}},
    {"finish button", kFinish, {3}},
    {"Cancel button", kCancel, {2}},
    {"launch box", kLaunchBox, {20}},
};

constexpr int kDisplayDpis[] = {96, 120, 144, 192};

// Measures texts with the fonts of the wizard's controls, in the wizard's
// process (FontProbe.h).
class TextMeasure {
public:
    explicit TextMeasure(HWND wizard)
        : memory_(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(fontprobe::Request),
                                       fontprobe::kFontProbeMemory)),
          probe_(::LoadLibraryW((test::TestBinDir() + L"\\font-probe.dll").c_str())),
          message_(::RegisterWindowMessageW(fontprobe::kFontProbeMessage)) {
        if (memory_.IsValid())
            request_ = static_cast<fontprobe::Request*>(
                ::MapViewOfFile(memory_.Get(), FILE_MAP_WRITE, 0, 0, sizeof(fontprobe::Request)));
        auto* hook = reinterpret_cast<HOOKPROC>(
            reinterpret_cast<void*>(::GetProcAddress(probe_.Get(), "FontProbeHook")));
        if (hook)
            hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, hook, probe_.Get(), ::GetWindowThreadProcessId(wizard, nullptr));
    }
    ~TextMeasure() {
        if (hook_) ::UnhookWindowsHookEx(hook_);
        if (request_) ::UnmapViewOfFile(request_);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    // The control's font and the text's extent in it, broken into lines at
    // `wrapWidth` (0: on one line); false when the wizard did not answer.
    bool Measure(HWND control, const std::wstring& text, int wrapWidth, fontprobe::Request& answer) {
        if (!hook_ || !request_) return false;
        *request_ = fontprobe::Request{};
        request_->wrapWidth = wrapWidth;
        ::lstrcpynW(request_->text, text.c_str(), 1024);
        ::SendMessageW(control, message_, 0, 0);
        answer = *request_;
        return answer.answered != 0;
    }

private:
    fw::Handle memory_;
    fw::Module probe_;
    UINT message_;
    fontprobe::Request* request_ = nullptr;
    HHOOK hook_ = nullptr;
};

class ScaleTest : public WizardTest {
protected:
    // What a wizard shows of its size, shape, places and fonts.
    struct Look {
        SIZE size;
        long area;
        std::vector<RECT> places;
        std::vector<LONG> fontHeights;
    };

    Look LookAt(const WizardWindow& wizard) const {
        const RECT frame = wizard.Frame();
        Look look = {SIZE{frame.right - frame.left, frame.bottom - frame.top}, wizard.RegionArea(), {}, {}};
        for (const Placement& control : kPlacements) look.places.push_back(wizard.Place(control.id));
        TextMeasure measure(wizard.Hwnd());
        for (int id : {kTitle, kUpperText, kLowerText, kAction, kCancel, kFinish, kLaunchBox}) {
            fontprobe::Request answer = {};
            EXPECT_TRUE(measure.Measure(wizard.Item(id), L"x", 0, answer) && answer.hasFont) << "control " << id;
            look.fontHeights.push_back(answer.fontHeight);
        }
        return look;
    }

    // Every text of every page inside the control that shows it, measured
    // with the font the control reports.
    void ExpectTextsFit(const WizardWindow& wizard, int dpi) const {
        std::vector<std::pair<const PageTexts*, std::wstring>> shown;
        const PageTexts title = {"title", kTitle, {}};
        shown.push_back({&title, InstallTitle()});
        shown.push_back({&title, UninstallTitle()});
        for (const PageTexts& control : kPageTexts)
            for (UINT text : control.texts) shown.push_back({&control, Ui(text)});
        TextMeasure measure(wizard.Hwnd());
        for (const auto& [control, text] : shown) {
            ASSERT_FALSE(text.empty()) << control->name;
            const RECT place = wizard.Place(control->id);
            const bool label = control->id == kTitle || control->id == kUpperText || control->id == kLowerText;
            fontprobe::Request answer = {};
            ASSERT_TRUE(measure.Measure(wizard.Item(control->id), text, label ? place.right : 0, answer))
                << control->name << ": the wizard did not answer the probe";
            EXPECT_TRUE(answer.hasFont) << control->name << " reports no font";
            // The launch box's caption stands right of its picture; a button's
            // inside its focus rectangle.
            const int room = control->id == kLaunchBox ? place.right - Scaled(21 + 4, dpi)
                             : label                   ? place.right
                                                       : place.right - 2 * Scaled(1, dpi);
            const std::string what = std::to_string(dpi) + " dpi, " + control->name + ": '" + Utf8Text(text) + "'";
            EXPECT_LE(answer.extent.cx, room) << what;
            // At 96 dpi the title keeps its height of old, which cuts the last
            // row of its descenders: the wizard at 100 % stays as it was.
            const int slack = control->id == kTitle && dpi == 96 ? 1 : 0;
            EXPECT_LE(answer.extent.cy, place.bottom + slack) << what;
        }
    }
};

// At 100, 125, 150 and 200 %: the window is the background's size at that
// scale, its shape scales with it, every control stands at its scaled
// place, and every text of every page fits its control.
TEST_F(ScaleTest, AtEveryDisplayScaleTheWindowItsShapePlacesAndTextsScale) {
    const long area96 = 584L * 411 - 71;
    for (int dpi : kDisplayDpis) {
        ScopedDisplayDpi display(dpi);
        test::Process setup(Setup());
        WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
        ASSERT_TRUE(wizard.Exists()) << dpi << " dpi";

        const Look look = LookAt(wizard);
        EXPECT_NEAR(Scaled(584, dpi), look.size.cx, 1) << dpi << " dpi";
        EXPECT_NEAR(Scaled(411, dpi), look.size.cy, 1) << dpi << " dpi";
        const double expectedArea = area96 * (dpi / 96.0) * (dpi / 96.0);
        EXPECT_NEAR(expectedArea, look.area, expectedArea * 0.02) << dpi << " dpi";
        for (size_t i = 0; i < std::size(kPlacements); ++i) {
            const RECT& expected = kPlacements[i].place;
            const RECT& place = look.places[i];
            EXPECT_NEAR(Scaled(expected.left, dpi), place.left, 1) << dpi << " dpi, " << kPlacements[i].name;
            EXPECT_NEAR(Scaled(expected.top, dpi), place.top, 1) << dpi << " dpi, " << kPlacements[i].name;
            if (expected.right >= 0) {
                EXPECT_NEAR(Scaled(expected.right, dpi), place.right, 1) << dpi << " dpi, " << kPlacements[i].name;
            }
            if (kPlacements[i].tallerForItsFont) {
                EXPECT_LE(Scaled(expected.bottom, dpi), place.bottom) << dpi << " dpi, " << kPlacements[i].name;
            } else {
                EXPECT_NEAR(Scaled(expected.bottom, dpi), place.bottom, 1) << dpi << " dpi, " << kPlacements[i].name;
            }
        }
        // The controls tell the fonts they draw with: the labels' Arial of
        // 11, 10 and 9 points (their height rounded down), the buttons' the
        // template's 9 points (rounded), at the dpi.
        const LONG heights[] = {-(dpi * 110 / 720), -(dpi * 100 / 720), -(dpi * 90 / 720), -::MulDiv(9, dpi, 72),
                                -::MulDiv(9, dpi, 72), -::MulDiv(9, dpi, 72), -::MulDiv(9, dpi, 72)};
        EXPECT_EQ(std::vector<LONG>(std::begin(heights), std::end(heights)), look.fontHeights) << dpi << " dpi";
        ExpectTextsFit(wizard, dpi);

        ::PostMessageW(wizard.Hwnd(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_NE(-1, setup.Wait(30000)) << dpi << " dpi";
    }
}

// A move to a display of 192 dpi (Windows 10 sends WM_DPICHANGED with the
// place it suggests) turns a wizard shown at 96 dpi into the one that
// starts at 192, at the suggested place.
TEST_F(ScaleTest, ADpiChangeTo192RescalesAWizardShownAt96AsIfItHadStartedThere) {
    Look started;
    {
        ScopedDisplayDpi display(192);
        test::Process setup(Setup());
        WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
        ASSERT_TRUE(wizard.Exists());
        started = LookAt(wizard);
        ::PostMessageW(wizard.Hwnd(), WM_COMMAND, IDCANCEL, 0);
        ASSERT_NE(-1, setup.Wait(30000));
    }
    ScopedDisplayDpi display(96);
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    ASSERT_EQ(584, LookAt(wizard).size.cx);

    // The suggested rectangle lives in the wizard's process, as the
    // system's would.
    const RECT suggested = {40, 30, 40 + started.size.cx, 30 + started.size.cy};
    fw::Handle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, setup.Id()));
    ASSERT_TRUE(process.IsValid());
    void* remote = ::VirtualAllocEx(process.Get(), nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(nullptr, remote);
    ASSERT_TRUE(::WriteProcessMemory(process.Get(), remote, &suggested, sizeof suggested, nullptr));
    ::SendMessageW(wizard.Hwnd(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(remote));

    const Look changed = LookAt(wizard);
    EXPECT_EQ(suggested.left, wizard.Frame().left);
    EXPECT_EQ(suggested.top, wizard.Frame().top);
    EXPECT_EQ(started.size.cx, changed.size.cx);
    EXPECT_EQ(started.size.cy, changed.size.cy);
    EXPECT_EQ(started.area, changed.area);
    for (size_t i = 0; i < std::size(kPlacements); ++i) {
        EXPECT_EQ(started.places[i].left, changed.places[i].left) << kPlacements[i].name;
        EXPECT_EQ(started.places[i].top, changed.places[i].top) << kPlacements[i].name;
        EXPECT_NEAR(started.places[i].right, changed.places[i].right, 1) << kPlacements[i].name << " width";
        EXPECT_EQ(started.places[i].bottom, changed.places[i].bottom) << kPlacements[i].name << " height";
    }
    EXPECT_EQ(started.fontHeights, changed.fontHeights);
    ExpectTextsFit(wizard, 192);

    ::PostMessageW(wizard.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(-1, setup.Wait(30000));
}

// The window's pixels as the screen shows them, 0x00RRGGBB, top row first.
std::vector<std::uint32_t> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    fw::ScopedBitmap bitmap(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<std::uint32_t> pixels;
    if (bitmap) {
        fw::MemoryDC memory(screen);
        {
            fw::ScopedSelect select(memory.Get(), bitmap.Get());
            ::BitBlt(memory.Get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        }
        ::GdiFlush();
        const auto* first = static_cast<const std::uint32_t*>(bits);
        pixels.assign(first, first + static_cast<size_t>(width) * height);
        for (auto& pixel : pixels) pixel &= 0xFFFFFF;
    }
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// At 100 % the wizard is what it was before it learnt to scale: its ready
// page is, to the pixel, the picture taken of it then (ready-96.png, from
// the walk of that build), but for the title's last row, which its
// descenders have since the title got a whole line of its font.
TEST_F(WizardTest, At96DpiTheReadyPageIsThePictureTakenBeforeItScaled) {
    ScopedDisplayDpi display(96);
    // The medium's own names, as pictured.
    ASSERT_TRUE(::CopyFileW((test::MediumDir() + L"\\setup.ini").c_str(), (medium_ + L"\\setup.ini").c_str(), FALSE));
    const std::string file = ReadFile(test::TestBinDir() + L"\\ready-96.png");
    PngImage before;
    ASSERT_TRUE(DecodePng(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), before));

    test::MoveMouseAway();
    test::Process setup(Setup());
    WizardWindow wizard(WaitForWindow(setup.Id(), L"Arrayvane - Installation Wizard"));
    ASSERT_TRUE(wizard.Exists());
    const RECT frame = wizard.Frame();
    ASSERT_EQ(before.width, frame.right - frame.left);
    ASSERT_EQ(before.height, frame.bottom - frame.top);
    // Until it has painted, or the deadline has passed.
    std::vector<std::uint32_t> now;
    test::WaitFor([&] { return (now = ScreenPixels(frame)) == before.pixels; }, 10000);
    size_t differing = 0;
    for (size_t i = 0; i < now.size() && i < before.pixels.size(); ++i) differing += now[i] != before.pixels[i];
    EXPECT_EQ(before.pixels.size(), now.size());
    EXPECT_EQ(0u, differing) << "pixels unlike the picture of old";

    ::PostMessageW(wizard.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(-1, setup.Wait(30000));
}

// In High Contrast the wizard is drawn in the theme's colours alone: every
// pixel of its window is one of them, or a blend of a text's colour and the
// ground it is drawn on (the edges of anti-aliased letters).
class ContrastTest : public WizardTest {
protected:
    static bool IsBlend(std::uint32_t pixel, COLORREF text, COLORREF ground) {
        const int p[3] = {static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF), static_cast<int>(pixel & 0xFF)};
        const int f[3] = {GetRValue(text), GetGValue(text), GetBValue(text)};
        const int g[3] = {GetRValue(ground), GetGValue(ground), GetBValue(ground)};
        double along = 0, length = 0;
        for (int c = 0; c < 3; ++c) along += double(p[c] - g[c]) * (f[c] - g[c]), length += double(f[c] - g[c]) * (f[c] - g[c]);
        const double share = length ? std::min(1.0, std::max(0.0, along / length)) : 0;
        for (int c = 0; c < 3; ++c)
            if (std::abs(p[c] - (g[c] + share * (f[c] - g[c]))) > 4) return false;
        return true;
    }

    static bool OfTheTheme(std::uint32_t pixel, const Theme& theme) {
        const auto color = [&](int index) {
            for (const ThemeColor& c : theme.colors)
                if (c.index == index) return c.color;
            return COLORREF(0);
        };
        for (const ThemeColor& c : theme.colors)
            if (pixel == (static_cast<std::uint32_t>(GetRValue(c.color)) << 16 | GetGValue(c.color) << 8 | GetBValue(c.color)))
                return true;
        const int pairs[][2] = {{COLOR_WINDOWTEXT, COLOR_WINDOW}, {COLOR_BTNTEXT, COLOR_BTNFACE},
                                {COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHT}, {COLOR_GRAYTEXT, COLOR_BTNFACE},
                                {COLOR_GRAYTEXT, COLOR_WINDOW}};
        for (const auto& pair : pairs)
            if (IsBlend(pixel, color(pair[0]), color(pair[1]))) return true;
        return false;
    }

    // Polls until the window, painted, holds nothing but the theme.
    void ExpectThemeOnly(const WizardWindow& wizard, const Theme& theme, const char* page) {
        ASSERT_TRUE(test::WaitFor([&] { return !test::FindProcessWindow(processId_, L"Fail"); }));
        size_t foreign = 0;
        std::uint32_t example = 0;
        const bool clean = test::WaitFor([&] {
            const std::vector<std::uint32_t> pixels = ScreenPixels(wizard.Frame());
            foreign = 0;
            for (std::uint32_t pixel : pixels)
                if (!OfTheTheme(pixel, theme)) ++foreign, example = pixel;
            if (!foreign) seen_[page].push_back(pixels);
            return foreign == 0 && !pixels.empty();
        }, 10000);
        char hex[16];
        ::wsprintfA(hex, "%06lx", static_cast<unsigned long>(example));
        EXPECT_TRUE(clean) << page << ": " << foreign << " pixels outside the theme, such as #" << hex;
    }

    // The wizard of the process, made to see High Contrast.
    WizardWindow InContrast(test::Process& setup, const std::wstring& title) {
        processId_ = setup.Id();
        const WizardWindow wizard(WaitForWindow(setup.Id(), title));
        EXPECT_TRUE(wizard.Exists());
        EXPECT_TRUE(TellContrastChanged(wizard.Hwnd(), true)) << "the wizard kept its shape";
        return wizard;
    }

    // Clicks the action button and checks the progress page (unless a
    // failure's box stands over it) and the page it ends on.
    void ProgressAndEnd(const WizardWindow& wizard, const Theme& theme, const char* progress, const char* end) {
        wizard.Click(kAction);
        test::MoveMouseAway();
        if (progress) {
            ASSERT_TRUE(test::WaitFor([&] { return wizard.Visible(kProgressBar) && !wizard.Visible(kFinish); },
                                      kProcedureMs));
            ExpectThemeOnly(wizard, theme, progress);
        }
        ASSERT_TRUE(test::WaitFor([&] {
            if (HWND box = test::FindProcessWindow(processId_, L"Fail")) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return wizard.Visible(kFinish);
        }, kProcedureMs));
        ExpectThemeOnly(wizard, theme, end);
    }

    DWORD processId_ = 0;
    // Each page's picture in each theme, in the order they were taken.
    std::map<std::string, std::vector<std::vector<std::uint32_t>>> seen_;
};

TEST_F(ContrastTest, EveryPageOfTheInstallAndUninstallInTheThemesColoursAlone) {
    const SeenHighContrast on;
    // At 100 % a dark theme and a light one; at other scales the dark one.
    std::vector<const Theme*> themes = {&kNightSky, &kDesert};
    if (display_) themes.pop_back();
    for (const Theme* theme : themes) {
        SCOPED_TRACE(theme->name);
        const ScopedTheme colors(*theme);
        // With the application running, each run waits a second for it to
        // close: long enough to see the progress page.
        InstallAndStartTheApplication();
        {
            test::Process setup(Setup());
            WizardWindow wizard = InContrast(setup, InstallTitle());
            test::MoveMouseAway();
            ExpectThemeOnly(wizard, *theme, "install, ready");
            ProgressAndEnd(wizard, *theme, "install, progress", "install, finished");
            wizard.Click(kFinish);  // starts the application again
            EXPECT_EQ(0, setup.Wait());
        }
        {
            test::Process setup(Uninstaller());
            WizardWindow wizard = InContrast(setup, UninstallTitle());
            test::MoveMouseAway();
            ExpectThemeOnly(wizard, *theme, "uninstall, ready");
            ProgressAndEnd(wizard, *theme, "uninstall, progress", "uninstall, finished");
            wizard.Click(kFinish);
            EXPECT_EQ(0, setup.Wait());
        }
        // The uninstaller's script is done before anything is installed again.
        ASSERT_TRUE(test::WaitFor([&] { return !test::FileExists(product_.installDir); }, 60000));
        // Failed: a medium without its service tool (NT 6) or application
        // (XP); then a folder of the user's where the application was,
        // which the uninstall cannot remove.
        test::CopyTree(medium_, dir_ / L"broken");
        ASSERT_TRUE(::DeleteFileW((dir_ / L"broken" + (test::ExpectedNt6() == 1 ? L"\\Application\\ArrSvcSetup.exe"
                                                                                   : L"\\Application\\KXRaidSetup.exe")).c_str()));
        {
            test::Process setup(L"\"" + (dir_ / L"broken") + L"\\setup.exe\"");
            WizardWindow wizard = InContrast(setup, InstallTitle());
            ProgressAndEnd(wizard, *theme, nullptr, "install, failed");
            wizard.Click(kFinish);
            EXPECT_EQ(1, setup.Wait());
        }
        SilentInstall();
        const std::wstring application = product_.Installed(L"KXRaidSetup.exe");
        ASSERT_TRUE(::DeleteFileW(application.c_str()));
        ASSERT_TRUE(::CreateDirectoryW(application.c_str(), nullptr));
        test::WriteTextFile(application + L"\\notes.txt", "mine");
        {
            test::Process setup(Uninstaller());
            WizardWindow wizard = InContrast(setup, UninstallTitle());
            ProgressAndEnd(wizard, *theme, nullptr, "uninstall, failed");
            wizard.Click(kFinish);
            EXPECT_NE(0, setup.Wait());
        }
        test::RemoveTree(application);
        test::RemoveTree(dir_ / L"broken");
    }
    // The dark theme and the light one are two pictures of each page.
    for (const auto& page : seen_) {
        ASSERT_EQ(themes.size(), page.second.size()) << page.first;
        if (themes.size() == 2) {
            EXPECT_NE(page.second[0], page.second[1]) << page.first;
        }
    }
    EXPECT_EQ(8u, seen_.size()) << "pages seen";
}

TEST_F(ContrastTest, TurnedOffWhileTheWizardIsOpenTheSkinComesBack) {
    const ScopedTheme colors(kNightSky);
    test::MoveMouseAway();
    test::Process setup(Setup());
    const WizardWindow wizard(WaitForWindow(setup.Id(), InstallTitle()));
    ASSERT_TRUE(wizard.Exists());
    const long skinArea = wizard.RegionArea();
    std::vector<std::uint32_t> skin;
    // Painted once it stops changing.
    test::WaitFor([&] {
        const std::vector<std::uint32_t> now = ScreenPixels(wizard.Frame());
        const bool same = !now.empty() && now == skin;
        skin = now;
        return same;
    }, 10000);
    ASSERT_GT(skinArea, 0);
    {
        const SeenHighContrast on;
        ASSERT_TRUE(TellContrastChanged(wizard.Hwnd(), true));
        processId_ = setup.Id();
        ExpectThemeOnly(wizard, kNightSky, "ready");
    }
    ASSERT_TRUE(TellContrastChanged(wizard.Hwnd(), false));
    EXPECT_EQ(skinArea, wizard.RegionArea());
    EXPECT_TRUE(test::WaitFor([&] { return ScreenPixels(wizard.Frame()) == skin; }, 10000)) << "not the skin's picture";
    ::PostMessageW(wizard.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(-1, setup.Wait(30000));
}

} // namespace
