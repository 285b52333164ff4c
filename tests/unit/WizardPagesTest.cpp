#include <gtest/gtest.h>

#include <windows.h>

#include "wizard/WizardPages.h"

namespace {

struct NoticeCase {
    const char* name;
    WPARAM notice;
    LPARAM success;
    NoticeEffect expected;
};

NoticeEffect Effect(bool begin, bool stop, bool full, bool finished, bool end, UINT upper, UINT lower) {
    NoticeEffect effect;
    effect.known = true;
    effect.beginProgress = begin;
    effect.stopTimer = stop;
    effect.barFull = full;
    effect.installFinished = finished;
    effect.endPage = end;
    effect.upperText = upper;
    effect.lowerText = lower;
    return effect;
}

class NoticeTest : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(NoticeTest, TurnsThePage) {
    const NoticeCase& c = GetParam();
    const NoticeEffect effect = DescribeNotice(c.notice, c.success);
    EXPECT_EQ(c.expected.known, effect.known);
    EXPECT_EQ(c.expected.beginProgress, effect.beginProgress);
    EXPECT_EQ(c.expected.stopTimer, effect.stopTimer);
    EXPECT_EQ(c.expected.barFull, effect.barFull);
    EXPECT_EQ(c.expected.installFinished, effect.installFinished);
    EXPECT_EQ(c.expected.endPage, effect.endPage);
    EXPECT_EQ(c.expected.upperText, effect.upperText);
    EXPECT_EQ(c.expected.lowerText, effect.lowerText);
}

INSTANTIATE_TEST_SUITE_P(
    Notices, NoticeTest,
    ::testing::Values(
        NoticeCase{"install_begins", 1, 0, Effect(true, false, false, false, false, 16, 6)},
        NoticeCase{"uninstall_begins", 4, 0, Effect(true, false, false, false, false, 17, 13)},
        NoticeCase{"install_ends_well", 2, 1, Effect(false, true, true, true, true, 7, 8)},
        NoticeCase{"install_ends_badly", 2, 0, Effect(false, true, false, false, true, 9, 8)},
        // Only 1 means success.
        NoticeCase{"install_ends_with_another_flag", 2, 2, Effect(false, true, false, false, true, 9, 8)},
        NoticeCase{"uninstall_ends_well", 5, 1, Effect(false, true, true, false, true, 15, 8)},
        NoticeCase{"uninstall_ends_badly", 5, 0, Effect(false, true, false, false, true, 14, 8)},
        // The failure notices leave the timer running.
        NoticeCase{"install_failed", 3, 0, Effect(false, false, false, false, true, 9, 8)},
        NoticeCase{"uninstall_failed", 6, 1, Effect(false, false, false, false, true, 14, 8)},
        // The notice is the low byte of wParam.
        NoticeCase{"high_bits_are_ignored", 0x0101, 0, Effect(true, false, false, false, false, 16, 6)},
        NoticeCase{"zero_is_no_notice", 0, 1, NoticeEffect{}},
        NoticeCase{"seven_is_no_notice", 7, 1, NoticeEffect{}},
        NoticeCase{"a_high_byte_alone_is_no_notice", 0x0200, 1, NoticeEffect{}}),
    [](const ::testing::TestParamInfo<NoticeCase>& info) { return std::string(info.param.name); });

} // namespace
