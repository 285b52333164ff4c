#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/layout/FileTables.h"
#include "tests/support/TestSupport.h"

namespace {

// The resource language each module of the medium must carry.
const std::map<std::wstring, LANGID> kLanguages = {
    {L"setupENU.dll", 0x0409}, {L"setupCHT.dll", 0x0404}, {L"setupCHS.dll", 0x0804},
    {L"setupJPN.dll", 0x0411}, {L"setupDEU.dll", 0x0407}, {L"setupKOR.dll", 0x0412},
    {L"setupFRA.dll", 0x040C}, {L"setupITA.dll", 0x0410}, {L"setupRUS.dll", 0x0419},
    {L"setupESN.dll", 0x0C0A}, {L"setupSVE.dll", 0x041D}, {L"setupNLD.dll", 0x0413},
    {L"setupPTB.dll", 0x0416}};

// The program's own Traditional Chinese texts, ids 1 to 25.
const wchar_t* const kTraditionalChinese[25] = {
    L"安裝", L"取消", L"完成",
    L"按一下「安裝」以開始安裝。按一下「取消」結束安裝精靈。",
    L"精靈已準備就緒，可以開始安裝了。",
    L"開始複製檔案",
    L"安裝精靈已成功完成安裝了。",
    L"按一下「完成」以結束精靈。",
    L"安裝失敗", L"移除",
    L"移除所有已安裝功能。",
    L"按一下「移除」以開始移除。按一下「取消」結束移除精靈。",
    L"開始移除檔案", L"移除失敗",
    L"移除精靈已成功完成移除",
    L"安裝精靈正在進行中...", L"移除精靈正在進行中...",
    L"立即重新啟動電腦", L"稍後再重新啟動電腦", L"立即啟動應用程式",
    L"關閉",
    L"安裝已完成。請重新啟動電腦以完成安裝。",
    L"移除已完成。請重新啟動電腦以完成移除。",
    L"已安裝較新的版本 %s。若要安裝此舊版本，請先解除安裝此程式。",
    L"立即重新啟動"};

std::vector<char> ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring Text(HMODULE module, UINT id) {
    wchar_t text[1024] = {};
    int length = ::LoadStringW(module, id, text, 1024);
    return std::wstring(text, length > 0 ? length : 0);
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    reinterpret_cast<std::set<UINT_PTR>*>(param)->insert(reinterpret_cast<UINT_PTR>(name));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::set<LANGID>*>(param)->insert(language);
    return TRUE;
}

class LanguageModuleTest : public ::testing::TestWithParam<int> {
protected:
    std::wstring Name() const { return LanguageModuleTable[GetParam()]; }
    std::wstring Path() const { return test::MediumDir() + L"\\" + Name(); }
};

TEST_P(LanguageModuleTest, IsA32BitDllWithoutCodeImportsOrEntryPoint) {
    std::vector<char> file = ReadBytes(Path());
    ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER)) << Name().c_str();
    EXPECT_LE(file.size(), 4096u) << Name().c_str();
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    ASSERT_EQ(IMAGE_DOS_SIGNATURE, dos->e_magic);
    ASSERT_LE(dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32), file.size());
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(file.data() + dos->e_lfanew);
    ASSERT_EQ(IMAGE_NT_SIGNATURE, nt->Signature);
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt->FileHeader.Machine);
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, nt->OptionalHeader.Magic);
    EXPECT_EQ(0u, nt->OptionalHeader.AddressOfEntryPoint);
    EXPECT_EQ(0u, nt->OptionalHeader.SizeOfCode);
    const IMAGE_DATA_DIRECTORY* directories = nt->OptionalHeader.DataDirectory;
    for (int entry : {IMAGE_DIRECTORY_ENTRY_IMPORT, IMAGE_DIRECTORY_ENTRY_EXPORT, IMAGE_DIRECTORY_ENTRY_IAT,
                      IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, IMAGE_DIRECTORY_ENTRY_TLS}) {
        EXPECT_EQ(0u, directories[entry].Size) << entry;
    }
    EXPECT_NE(0u, directories[IMAGE_DIRECTORY_ENTRY_RESOURCE].Size);
}

TEST_P(LanguageModuleTest, HoldsTextsForIdsOneToTwentyFiveOnlyInItsOwnLanguage) {
    HMODULE module = ::LoadLibraryExW(Path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << Name().c_str();
    for (UINT id = 1; id <= 25; ++id) EXPECT_FALSE(Text(module, id).empty()) << id;
    // The installed version goes into text 24's one %s.
    const std::wstring newer = Text(module, 24);
    EXPECT_NE(std::wstring::npos, newer.find(L"%s"));
    EXPECT_EQ(newer.find(L'%'), newer.rfind(L'%'));
    // String blocks hold 16 ids each: ids 1 to 25 fill blocks 1 and 2.
    for (UINT id : {0u, 26u, 31u, 32u, 100u}) EXPECT_TRUE(Text(module, id).empty()) << id;
    std::set<UINT_PTR> blocks;
    ::EnumResourceNamesW(module, RT_STRING, &CollectName, reinterpret_cast<LONG_PTR>(&blocks));
    EXPECT_EQ((std::set<UINT_PTR>{1, 2}), blocks);
    for (UINT_PTR block : blocks) {
        std::set<LANGID> languages;
        ::EnumResourceLanguagesW(module, RT_STRING, MAKEINTRESOURCEW(block), &CollectLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(std::set<LANGID>{kLanguages.at(Name())}, languages) << block;
    }
    ::FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(Medium, LanguageModuleTest, ::testing::Range(0, kLanguageModuleCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::wstring name = LanguageModuleTable[info.param];
                             return std::string(name.begin() + 5, name.end() - 4);
                         });

TEST(LanguageModulesTest, TraditionalChineseTextsAreTheProgramsOwn) {
    HMODULE module = ::LoadLibraryExW((test::MediumDir() + L"\\setupCHT.dll").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    for (UINT id = 1; id <= 25; ++id) EXPECT_EQ(kTraditionalChinese[id - 1], Text(module, id)) << id;
    ::FreeLibrary(module);
}

TEST(LanguageModulesTest, EnglishReadsLikeAnInstaller) {
    HMODULE module = ::LoadLibraryExW((test::MediumDir() + L"\\setupENU.dll").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(L"Install", Text(module, 1));
    EXPECT_EQ(L"Cancel", Text(module, 2));
    EXPECT_EQ(L"Finish", Text(module, 3));
    EXPECT_EQ(L"Click Install to begin the installation. Click Cancel to exit the wizard.", Text(module, 4));
    EXPECT_EQ(L"Remove", Text(module, 10));
    ::FreeLibrary(module);
}

TEST(LanguageModulesTest, EveryModuleSpeaksItsOwnWords) {
    // The same meaning in two languages is never the same text, except
    // where the languages share the word (Chinese "Cancel", "Finish").
    std::map<std::wstring, std::wstring> installLabels;
    for (const auto& entry : kLanguages) {
        HMODULE module = ::LoadLibraryExW((test::MediumDir() + L"\\" + entry.first).c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module) << entry.first.c_str();
        installLabels[entry.first] = Text(module, 4);
        ::FreeLibrary(module);
    }
    std::set<std::wstring> distinct;
    for (const auto& label : installLabels) distinct.insert(label.second);
    EXPECT_EQ(installLabels.size(), distinct.size());
}

} // namespace
