#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <fstream>
#include <map>
#include <string>

#include "tests/support/EventChannel.h"
#include "tests/support/Installation.h"
#include "tests/support/TestSupport.h"

// DLLs planted beside setup.exe under the names of system DLLs must never
// load. Wine loads its own copy of a DLL it has built in, whatever the
// search order, so the test asks Wine to prefer a file found by the search
// for the planted names (native, then built-in), as Windows does.
namespace {

const wchar_t* const kPlantedNames[] = {
    L"version", L"uxtheme", L"dwmapi", L"cryptbase", L"profapi", L"userenv", L"setupapi", L"apphelp",
    L"propsys", L"oleacc",  L"clbcatq", L"ntmarta", L"comctl32", L"msimg32", L"winmm", L"imm32",
    L"usp10",   L"msctf",   L"dbghelp", L"wininet", L"shfolder", L"sspicli", L"oleaut32", L"linkinfo",
    L"ntshrui", L"shdocvw", L"comdlg32", L"riched20", L"netapi32", L"wtsapi32", L"secur32", L"mpr"};

// Wine's own advapi32 and user32 import these two statically: preferring a
// planted copy would stop every process before its first instruction. No
// Windows system DLL setup.exe loads imports them, so Windows has no such
// case; they stay planted, built-in first.
bool NativeFirst(const std::wstring& name) { return name != L"version" && name != L"imm32"; }

const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults";

// Native-first order for the planted names in the programs named, for the
// life of the object.
class ScopedNativeFirst {
public:
    explicit ScopedNativeFirst(std::initializer_list<const wchar_t*> programs) : programs_(programs) {
        for (const wchar_t* program : programs_) {
            std::wstring key = std::wstring(kAppDefaults) + L"\\" + program + L"\\DllOverrides";
            for (const wchar_t* name : kPlantedNames) {
                if (!NativeFirst(name)) continue;
                const wchar_t order[] = L"native,builtin";
                EXPECT_EQ(ERROR_SUCCESS, ::SHSetValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, order,
                                                       sizeof order));
            }
        }
    }
    ~ScopedNativeFirst() {
        for (const wchar_t* program : programs_)
            ::SHDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kAppDefaults) + L"\\" + program).c_str());
        ::SHDeleteEmptyKeyW(HKEY_CURRENT_USER, kAppDefaults);
    }
    ScopedNativeFirst(const ScopedNativeFirst&) = delete;
    ScopedNativeFirst& operator=(const ScopedNativeFirst&) = delete;

private:
    std::initializer_list<const wchar_t*> programs_;
};

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(::towlower(c));
    return text;
}

void Plant(const std::wstring& folder) {
    const std::wstring planted = test::TestBinDir() + L"\\planted.dll";
    for (const wchar_t* name : kPlantedNames) {
        std::wstring target = folder + L"\\" + name + L".dll";
        ASSERT_TRUE(::CopyFileW(planted.c_str(), target.c_str(), FALSE)) << test::Narrow(target);
    }
}

void Unplant(const std::wstring& folder) {
    for (const wchar_t* name : kPlantedNames) ::DeleteFileW((folder + L"\\" + name + L".dll").c_str());
}

// The planted DLLs that loaded: per process, each DLL's file name and how
// many times. The log's lines are "PID|PROGRAM|DLL PATH".
struct PlantLog {
    std::map<std::wstring, std::map<std::wstring, int>> loads;  // by "PID PROGRAM"
    std::map<std::wstring, std::wstring> programOf;

    explicit PlantLog(const std::wstring& path) {
        std::ifstream in(path.c_str(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(L"\r\n", start);
            if (end == std::wstring::npos) end = text.size();
            std::wstring line = text.substr(start, end - start);
            start = end + 2;
            size_t first = line.find(L'|'), second = line.rfind(L'|');
            if (first == std::wstring::npos || second == first) continue;
            std::wstring process = line.substr(0, first) + L" " + line.substr(first + 1, second - first - 1);
            std::wstring dll = Lower(::PathFindFileNameW(line.substr(second + 1).c_str()));
            ++loads[process][dll];
        }
    }

    // Every load in the processes of `program` beyond what `floor` counts.
    std::string Beyond(const std::map<std::wstring, int>& floor, const std::wstring& program) const {
        std::string found;
        for (const auto& process : loads) {
            if (Lower(process.first).find(Lower(program)) == std::wstring::npos) continue;
            for (const auto& dll : process.second) {
                auto allowed = floor.find(dll.first);
                if (dll.second > (allowed == floor.end() ? 0 : allowed->second))
                    found += test::Narrow(process.first) + " loaded " + test::Narrow(dll.first) + " " +
                             std::to_string(dll.second) + " times\n";
            }
        }
        return found;
    }

    // The most loads of each DLL in one process of `program`.
    std::map<std::wstring, int> Most(const std::wstring& program) const {
        std::map<std::wstring, int> most;
        for (const auto& process : loads) {
            if (Lower(process.first).find(Lower(program)) == std::wstring::npos) continue;
            for (const auto& dll : process.second) most[dll.first] = std::max(most[dll.first], dll.second);
        }
        return most;
    }
};

class PlantingTest : public ::testing::Test {
protected:
    void SetUp() override {
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        product_.WriteSetupIni(medium_, 0);
        ASSERT_TRUE(::CopyFileW((test::TestBinDir() + L"\\plant-probe.exe").c_str(),
                                (medium_ + L"\\plant-probe.exe").c_str(), FALSE));
        Plant(medium_);
    }
    void TearDown() override {
        Unplant(product_.installDir + L"\\Uninstall");
        product_.RemoveAll();
        test::DeleteCompatMarksContaining(dir_.Path());
    }

    // What Wine loads before a program's first instruction, in a program
    // that imports what setup.exe imports.
    std::map<std::wstring, int> WinesOwnLoads() {
        test::Process probe(L"\"" + medium_ + L"\\plant-probe.exe\"");
        EXPECT_EQ(0, probe.Wait(60000));
        return PlantLog(log_).Most(L"plant-probe.exe");
    }

    int RunWizard(const std::wstring& program, const std::wstring& arguments, const std::wstring& title) {
        test::Process setup(L"\"" + program + L"\" " + arguments);
        HWND wizard = nullptr;
        EXPECT_TRUE(test::WaitFor([&] { return (wizard = test::FindProcessWindow(setup.Id(), title)) != nullptr; },
                                  60000));
        if (!wizard) return setup.Wait(1);
        // A screen reader's question makes setup.exe load the accessibility library.
        DWORD_PTR object = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(::GetDlgItem(wizard, 1000), WM_GETOBJECT, 0, OBJID_CLIENT,
                                          SMTO_ABORTIFHUNG, 30000, &object));
        EXPECT_NE(0u, object) << "the action button gave no accessible object";
        ::PostMessageW(wizard, WM_COMMAND, 1000, 0);
        EXPECT_TRUE(test::WaitFor([&] { return ::IsWindowVisible(::GetDlgItem(wizard, IDOK)) != FALSE; }, 120000));
        ::PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        return setup.Wait(120000);
    }

    test::ScratchDir dir_;
    test::Installation product_{test::UniqueTag()};
    std::wstring medium_;
    std::wstring log_ = dir_ / L"plant.log";
    test::ScopedEnv logVariable_{L"AV_PLANT_LOG", log_};
    test::ScopedEnv standinLog_{L"AV_STANDIN_LOG", dir_ / L"standin.log"};
    ScopedNativeFirst nativeFirst_{L"setup.exe", L"plant-probe.exe"};
};

TEST_F(PlantingTest, APlantedDllIsFoundByAProgramThatSearchesItsFolder) {
    // Without this the test below could not fail.
    test::Process probe(L"\"" + medium_ + L"\\plant-probe.exe\" load");
    EXPECT_EQ(0, probe.Wait(60000));
    EXPECT_EQ(1, PlantLog(log_).Most(L"plant-probe.exe")[L"dwmapi.dll"]);
}

TEST_F(PlantingTest, NoPlantedDllLoadsInTheSilentTheWizardOrTheUninstallRun) {
    const std::map<std::wstring, int> floor = WinesOwnLoads();

    test::Process silent(L"\"" + medium_ + L"\\setup.exe\" s");
    ASSERT_EQ(0, silent.Wait(120000));
    EXPECT_EQ("", PlantLog(log_).Beyond(floor, L"setup.exe")) << "silent install";

    int installed = RunWizard(medium_ + L"\\setup.exe", L"", product_.appName + L" - Installation Wizard");
    EXPECT_EQ("", PlantLog(log_).Beyond(floor, L"setup.exe")) << "install wizard";
    ASSERT_EQ(0, installed);

    // The installed uninstaller, with the same DLLs planted beside it.
    const std::wstring uninstaller = product_.installDir + L"\\Uninstall";
    Plant(uninstaller);
    int uninstalled = RunWizard(uninstaller + L"\\setup.exe", L"delpkg", product_.appName + L" - Uninstallation Wizard");
    Unplant(uninstaller);
    EXPECT_EQ("", PlantLog(log_).Beyond(floor, L"setup.exe")) << "uninstall wizard";
    ASSERT_EQ(0, uninstalled);
}

TEST_F(PlantingTest, ARedirectionFolderBesideSetupIsRefused) {
    ASSERT_TRUE(::CreateDirectoryW((medium_ + L"\\setup.exe.local").c_str(), nullptr));
    // Silent: no box, the exit code and the event log say it.
    const test::EventChannel events;
    test::Process setup(L"\"" + medium_ + L"\\setup.exe\" s");
    bool showedWindow = true;
    EXPECT_EQ(1, setup.WaitNoticingWindows(showedWindow, 60000));
    EXPECT_FALSE(showedWindow);
    ASSERT_EQ(1u, events.Failures().size());
    EXPECT_NE(std::wstring::npos, events.Failures()[0].find(L"setup.exe.local"));
    EXPECT_FALSE(test::FileExists(product_.installDir));

    // The wizard shows it.
    test::Process wizard(L"\"" + medium_ + L"\\setup.exe\"");
    HWND box = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return (box = test::FindProcessWindow(wizard.Id(), L"Fail")) != nullptr; }));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1, wizard.Wait(60000));
}

// The language module holds texts only, and setup.exe maps it as data:
// code in it never runs. The planted DLL in its place would log from its
// entry point (and refuse to load, which the wizard would report).
TEST_F(PlantingTest, TheLanguageModuleIsMappedAsDataSoItsCodeNeverRuns) {
    ASSERT_TRUE(::CopyFileW((test::TestBinDir() + L"\\planted.dll").c_str(), (medium_ + L"\\setupENU.dll").c_str(),
                            FALSE));
    test::Process setup(L"\"" + medium_ + L"\\setup.exe\"");
    HWND window = nullptr;
    ASSERT_TRUE(test::WaitFor([&] { return (window = test::AnyProcessWindow(setup.Id())) != nullptr; }, 60000));
    wchar_t title[256] = {};
    ::GetWindowTextW(window, title, 256);
    EXPECT_STRNE(L"Fail", title) << "the module did not load";
    EXPECT_EQ(0u, PlantLog(log_).Most(L"setup.exe").count(L"setupenu.dll")) << "the module's entry point ran";
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(-1, setup.Wait(30000));
}

} // namespace
