// Folder and file names from setup.ini that are empty, too long, reach
// outside the installation folder, would be altered by Windows or name a
// device: each is refused with a "Fail" message before anything is
// written.
#include "tests/hostile/HostileTest.h"

#include <ostream>

namespace hostile {
namespace {

struct BadName {
    const char* name;   // the case's name
    const char* key;    // APPFolderName or APPFileName
    std::string value;  // as written in setup.ini
};

void PrintTo(const BadName& bad, std::ostream* out) {
    *out << bad.key << "=" << bad.value.substr(0, 40) << (bad.value.size() > 40 ? "..." : "");
}

class BadNameTest : public HostileTest, public ::testing::WithParamInterface<BadName> {};

TEST_P(BadNameTest, IsRefusedBeforeAnythingIsWritten) {
    const BadName& bad = GetParam();
    const std::string folder = Narrow(product_->folder);
    const std::string folderLine = std::string(bad.key) == "APPFolderName" ? bad.value : folder;
    const std::string fileLine = std::string(bad.key) == "APPFileName" ? "APPFileName=" + bad.value + "\r\n" : "";
    WriteIni("[Customized_Setting]\r\nAPPFolderName=" + folderLine + "\r\n" + fileLine +
             "[Startup]\r\nAppName=" + Narrow(product_->appName) + "\r\n");
    const std::string key = bad.key;
    ExpectRefused(Run(L"s"), std::wstring(key.begin(), key.end()));
}

std::vector<BadName> BadNames() {
    std::vector<BadName> names;
    for (const char* key : {"APPFolderName", "APPFileName"}) {
        const bool file = std::string(key) == "APPFileName";
        auto add = [&](const char* name, std::string value) { names.push_back({name, key, std::move(value)}); };
        add("Empty", "");
        add("Of259Characters", std::string(file ? 255 : 259, 'n') + (file ? ".exe" : ""));
        add("Of300Characters", std::string(300, 'n'));
        add("DotDot", "..");
        add("DotDotBackslash", file ? "..\\KXRaidSetup.exe" : "..\\Escaped");
        add("Backslash", file ? "Sub\\KXRaidSetup.exe" : "Sub\\Folder");
        add("Slash", file ? "Sub/KXRaidSetup.exe" : "Sub/Folder");
        add("Colon", file ? "KXRaidSetup.exe:stream" : "Folder:stream");
        add("DriveLetter", file ? "C:\\Windows\\notepad.exe" : "C:\\Windows");
        add("DriveRelative", file ? "C:KXRaidSetup.exe" : "C:Folder");
        add("TrailingDot", file ? "KXRaidSetup.exe." : "Folder.");
        // Quoted, or the profile functions would drop the space themselves.
        add("TrailingSpace", file ? "\"KXRaidSetup.exe \"" : "\"Folder \"");
        add("Con", "CON");
        add("Nul", file ? "nul" : "NUL");
        add("Com1", "COM1");
        add("ConWithExtension", "CON.txt");
        add("NulWithExtension", "nul.exe");
        add("ShortNameForm", file ? "KXRAID~1.EXE" : "PROGRA~1");
    }
    return names;
}

INSTANTIATE_TEST_SUITE_P(Names, BadNameTest, ::testing::ValuesIn(BadNames()),
                         [](const ::testing::TestParamInfo<BadName>& info) {
                             return std::string(info.param.key) + "_" + info.param.name;
                         });

} // namespace
} // namespace hostile
