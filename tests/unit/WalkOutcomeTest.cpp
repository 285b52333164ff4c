#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"
#include "tests/tools/WalkOutcome.h"

namespace {

using walk::DecideOutcome;
using walk::EndTexts;
using walk::PageOutcome;

const EndTexts kEnglish = {L"The wizard has successfully completed the installation.",
                           L"The installation failed.", L"The removal failed.",
                           L"The wizard has successfully completed the removal.",
                           L"The installation is complete. Restart the computer to finish it.",
                           L"The removal is complete. Restart the computer to finish it."};

struct OutcomeCase {
    const char* name;
    std::wstring upperText;
    EndTexts texts;
    PageOutcome expected;
};

void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.name; }

class WalkOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

// The walk names its last picture after the page's upper text.
TEST_P(WalkOutcomeTest, NamesThePageByItsUpperText) {
    EXPECT_EQ(GetParam().expected, DecideOutcome(GetParam().upperText, GetParam().texts));
}

INSTANTIATE_TEST_SUITE_P(
    Walk, WalkOutcomeTest,
    ::testing::Values(
        OutcomeCase{"InstallFinished", kEnglish.installFinished, kEnglish, PageOutcome::Finished},
        OutcomeCase{"UninstallFinished", kEnglish.uninstallFinished, kEnglish, PageOutcome::Finished},
        OutcomeCase{"InstallFinishedAtRestart", kEnglish.installRestart, kEnglish, PageOutcome::Finished},
        OutcomeCase{"UninstallFinishedAtRestart", kEnglish.uninstallRestart, kEnglish, PageOutcome::Finished},
        OutcomeCase{"InstallFailed", kEnglish.installFailed, kEnglish, PageOutcome::Failed},
        OutcomeCase{"UninstallFailed", kEnglish.uninstallFailed, kEnglish, PageOutcome::Failed},
        // Still the progress page's text, or a text of another language.
        OutcomeCase{"OtherText", L"The wizard is installing the program...", kEnglish, PageOutcome::Unknown},
        // Without a language module every text is empty: an empty page is no outcome.
        OutcomeCase{"NoModule", L"", EndTexts{}, PageOutcome::Unknown}),
    [](const ::testing::TestParamInfo<OutcomeCase>& info) { return std::string(info.param.name); });

// The walk reads the texts of the module the wizard itself picks: English
// here (the suite's prefixes run under an English locale).
TEST(WalkOutcomeTest, ReadsTheLastPagesTextsFromTheWizardsModule) {
    const EndTexts texts = walk::LoadEndTexts(test::MediumDir() + L"\\setup.exe");
    EXPECT_EQ(kEnglish.installFinished, texts.installFinished);
    EXPECT_EQ(kEnglish.installFailed, texts.installFailed);
    EXPECT_EQ(kEnglish.uninstallFailed, texts.uninstallFailed);
    EXPECT_EQ(kEnglish.uninstallFinished, texts.uninstallFinished);
    EXPECT_EQ(kEnglish.installRestart, texts.installRestart);
    EXPECT_EQ(kEnglish.uninstallRestart, texts.uninstallRestart);
}

} // namespace
