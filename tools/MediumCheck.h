#pragma once
#include <string>
#include <vector>

// What a vendor must hear about a medium before it ships, judged by the
// installer's own rules and tables.
enum class Severity { Warning, Error };

struct Finding {
    Severity severity;
    std::wstring text;
};

// The texts every language module must hold: ids 1 to kLanguageTextCount.
constexpr int kLanguageTextCount = 24;

// Every finding about the medium in `sourceDir` (which ends with a
// backslash): missing files, a setup.ini the installer would refuse or keys
// it does not know, language modules that do not load as data or lack a
// text, version resources that disagree. None when the medium is sound.
std::vector<Finding> CheckMedium(const std::wstring& sourceDir);

// "1.00.00" and a file version agree when every part given matches, the
// parts left out being 0: the version setup.ini shows to the user is the
// one the programs carry.
bool VersionsAgree(const std::wstring& iniVersion, const unsigned short (&fileVersion)[4]);
