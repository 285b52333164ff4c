#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/LanguageSelection.h"
#include "engine/config/Paths.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (auto& c : text)
        if (c >= L'A' && c <= L'Z') c = c - L'A' + L'a';
    return text;
}

// A system with chosen languages and files. It records which languages
// were asked and which files loaded; only files it holds load.
class ChosenSystem : public LanguageSystem {
public:
    std::map<LanguageSource, LANGID> languages;
    std::set<std::wstring> files;  // lower-case: file names ignore case
    std::vector<LanguageSource> asked;
    std::vector<std::wstring> loadTries;

    bool Language(LanguageSource source, LANGID& language) override {
        asked.push_back(source);
        auto found = languages.find(source);
        if (found == languages.end()) return false;
        language = found->second;
        return true;
    }
    bool Abbreviation(LANGID language, wchar_t (&abbreviation)[4]) override {
        static const std::map<LANGID, const wchar_t*> names = {
            {0x0404, L"CHT"}, {0x0407, L"DEU"}, {0x0409, L"ENU"}, {0x0804, L"CHS"}};
        auto found = names.find(language);
        if (found == names.end()) return false;
        wcscpy(abbreviation, found->second);
        return true;
    }
    bool FileExists(const wchar_t* path) override { return files.count(Lower(path)) != 0; }
    HMODULE Load(const wchar_t* path) override {
        loadTries.push_back(path);
        return FileExists(path) ? reinterpret_cast<HMODULE>(loadTries.size()) : nullptr;
    }
    // The file that loaded, or "" when none did.
    std::wstring Loaded(HMODULE module) const {
        return module ? loadTries.at(reinterpret_cast<size_t>(module) - 1) : L"";
    }
};

const wchar_t kProgram[] = L"c:\\dist\\setup.exe";

TEST(LanguageSelectionTest, ModuleOfTheUserUiLanguageWhenPresent) {
    ChosenSystem system;
    system.languages = {{LanguageSource::UserUiLanguage, 0x0404}, {LanguageSource::SystemUiLanguage, 0x0409}};
    system.files = {L"c:\\dist\\setupcht.dll", L"c:\\dist\\setupenu.dll"};
    HMODULE module = SelectLanguageModule(kProgram, system);
    EXPECT_EQ(L"c:\\dist\\setupCHT.DLL", system.Loaded(module));
    EXPECT_EQ(std::vector<LanguageSource>{LanguageSource::UserUiLanguage}, system.asked);
}

TEST(LanguageSelectionTest, MissingModuleFallsBackToEnglishAtOnce) {
    ChosenSystem system;
    system.languages = {{LanguageSource::UserUiLanguage, 0x0407}, {LanguageSource::SystemUiLanguage, 0x0404},
                        {LanguageSource::UserLangId, 0x0404}, {LanguageSource::SystemLangId, 0x0404}};
    system.files = {L"c:\\dist\\setupcht.dll", L"c:\\dist\\setupenu.dll"};
    HMODULE module = SelectLanguageModule(kProgram, system);
    EXPECT_EQ(L"c:\\dist\\setupENU.DLL", system.Loaded(module));
    // The system's language, which has a module, is never asked.
    EXPECT_EQ(std::vector<LanguageSource>{LanguageSource::UserUiLanguage}, system.asked);
}

TEST(LanguageSelectionTest, NextLanguageOnlyWhenTheEnglishModuleFailsToo) {
    ChosenSystem system;
    system.languages = {{LanguageSource::UserUiLanguage, 0x0407}, {LanguageSource::SystemUiLanguage, 0x0804},
                        {LanguageSource::UserLangId, 0x0404}, {LanguageSource::SystemLangId, 0x0409}};
    system.files = {L"c:\\dist\\setupcht.dll"};
    HMODULE module = SelectLanguageModule(kProgram, system);
    EXPECT_EQ(L"c:\\dist\\setupCHT.DLL", system.Loaded(module));
    EXPECT_EQ((std::vector<LanguageSource>{LanguageSource::UserUiLanguage, LanguageSource::SystemUiLanguage,
                                           LanguageSource::UserLangId}),
              system.asked);
    EXPECT_EQ((std::vector<std::wstring>{L"c:\\dist\\setupENU.DLL", L"c:\\dist\\setupENU.DLL",
                                         L"c:\\dist\\setupCHT.DLL"}),
              system.loadTries);
}

TEST(LanguageSelectionTest, NoModuleAtAllGivesNullAfterFourTries) {
    ChosenSystem system;
    system.languages = {{LanguageSource::UserUiLanguage, 0x0404}, {LanguageSource::SystemUiLanguage, 0x0407},
                        {LanguageSource::UserLangId, 0x0409}, {LanguageSource::SystemLangId, 0x0804}};
    EXPECT_EQ(nullptr, SelectLanguageModule(kProgram, system));
    EXPECT_EQ((std::vector<LanguageSource>{LanguageSource::UserUiLanguage, LanguageSource::SystemUiLanguage,
                                           LanguageSource::UserLangId, LanguageSource::SystemLangId}),
              system.asked);
    EXPECT_EQ(4u, system.loadTries.size());
}

TEST(LanguageSelectionTest, WithoutUiLanguageFunctionsTheDefaultLanguagesAreTried) {
    ChosenSystem system;
    system.languages = {{LanguageSource::UserLangId, 0x0804}, {LanguageSource::SystemLangId, 0x0409}};
    system.files = {L"c:\\dist\\setupchs.dll"};
    EXPECT_EQ(L"c:\\dist\\setupCHS.DLL", system.Loaded(SelectLanguageModule(kProgram, system)));
    EXPECT_EQ((std::vector<LanguageSource>{LanguageSource::UserUiLanguage, LanguageSource::UserLangId}),
              system.asked);
}

TEST(LanguageSelectionTest, LanguageWithoutAbbreviationGivesNothing) {
    ChosenSystem system;
    system.languages = {{LanguageSource::UserUiLanguage, 0x0419}, {LanguageSource::SystemUiLanguage, 0x0407}};
    system.files = {L"c:\\dist\\setupenu.dll"};
    EXPECT_EQ(L"c:\\dist\\setupENU.DLL", system.Loaded(SelectLanguageModule(kProgram, system)));
    EXPECT_EQ((std::vector<std::wstring>{L"c:\\dist\\setupENU.DLL"}), system.loadTries);
    EXPECT_EQ(2u, system.asked.size());
}

struct FileCase {
    const char* name;
    const wchar_t* program;
    std::set<std::wstring> files;
    const wchar_t* expected;  // "" for no candidate
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class LanguageModuleFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(LanguageModuleFileTest, ChoosesTheFileOfOneTry) {
    const FileCase& c = GetParam();
    ChosenSystem system;
    system.files = c.files;
    wchar_t out[kPathChars] = L"stale";
    bool chosen = ChooseLanguageModuleFile(c.program, L"CHT", system, out);
    EXPECT_EQ(c.expected[0] != L'\0', chosen);
    EXPECT_STREQ(c.expected, out);
}

const std::wstring kLongFolder = L"c:\\" + std::wstring(250, L'x');
const std::wstring kLongProgram = kLongFolder + L"\\setup.exe";

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageModuleFileTest,
    ::testing::Values(
        FileCase{"OwnModulePresent", kProgram, {L"c:\\dist\\setupcht.dll"}, L"c:\\dist\\setupCHT.DLL"},
        FileCase{"OwnModuleMissingGivesEnglish", kProgram, {}, L"c:\\dist\\setupENU.DLL"},
        FileCase{"FolderWithExeCutsThePrefixThere", L"c:\\tools.exe.d\\setup.exe",
                 {L"c:\\tools.exe.d\\setupcht.dll", L"c:\\toolscht.dll"}, L"c:\\toolsCHT.DLL"},
        FileCase{"FolderWithExeIgnoresModulesBesideTheProgram", L"c:\\tools.exe.d\\setup.exe",
                 {L"c:\\tools.exe.d\\setupcht.dll"}, L"c:\\toolsENU.DLL"},
        FileCase{"PathWithoutExeGivesNothing", L"c:\\dist\\setup.bin", {L"c:\\dist\\setupcht.dll"}, L""},
        FileCase{"UpperCaseExeIsNotFound", L"c:\\dist\\SETUP.EXE", {L"c:\\dist\\setupcht.dll"}, L""},
        FileCase{"NameThatWouldNotFitGivesNothing", kLongProgram.c_str(), {}, L""}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

TEST(LanguageSelectionTest, PathWithoutExeLoadsNothing) {
    ChosenSystem system;
    system.languages = {{LanguageSource::UserUiLanguage, 0x0404}, {LanguageSource::SystemUiLanguage, 0x0404},
                        {LanguageSource::UserLangId, 0x0404}, {LanguageSource::SystemLangId, 0x0404}};
    system.files = {L"c:\\dist\\setupcht.dll", L"c:\\dist\\setupenu.dll"};
    EXPECT_EQ(nullptr, SelectLanguageModule(L"c:\\dist\\setup.bin", system));
    EXPECT_TRUE(system.loadTries.empty());
}

} // namespace
