// Command lines of many words or of great length: the silent word is
// found wherever it stands, and nothing overflows.
#include "tests/hostile/HostileTest.h"

namespace hostile {
namespace {

struct Words {
    const char* name;
    std::wstring args;
};

class CommandLineTest : public HostileTest, public ::testing::WithParamInterface<Words> {};

TEST_P(CommandLineTest, SilentWordIsHonouredAndNothingOverflows) {
    ExpectInstalled(Run(GetParam().args));
}

std::wstring Repeated(const std::wstring& word, int count) {
    std::wstring args;
    for (int i = 0; i < count; ++i) args += word + L" ";
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(Words{"OneParameter", L"/S"},
                      // Past the four parameters the record keeps.
                      Words{"FiveParameters", L"one -two /three \"fo ur\" s"},
                      Words{"FiveHundredParameters", Repeated(L"-x", 499) + L"s"},
                      // Near the 32,767 characters a command line may hold,
                      // one word far longer than any slot.
                      Words{"ThirtyTwoThousandCharacters", std::wstring(32000 - 200, L'w') + L" s"}),
    [](const ::testing::TestParamInfo<Words>& info) { return info.param.name; });

} // namespace
} // namespace hostile
