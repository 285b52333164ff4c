#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include "controls/ControlFacts.h"
#include "wizard/WizardPages.h"

namespace {

struct NoticeCase {
    const char* name;
    WPARAM notice;
    LPARAM success;
    NoticeEffect expected;
};

NoticeEffect Effect(bool begin, bool stop, bool full, bool finished, bool end, UINT upper, UINT lower,
                    bool restart = false, SetupOutcome outcome = SetupOutcome::Done) {
    NoticeEffect effect;
    effect.setsOutcome = end;
    effect.outcome = outcome;
    effect.uninstallBegun = begin && upper == 17;
    effect.offerRestart = restart;
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
    EXPECT_EQ(c.expected.offerRestart, effect.offerRestart);
    EXPECT_EQ(c.expected.endPage, effect.endPage);
    EXPECT_EQ(c.expected.upperText, effect.upperText);
    EXPECT_EQ(c.expected.lowerText, effect.lowerText);
    EXPECT_EQ(c.expected.uninstallBegun, effect.uninstallBegun);
    EXPECT_EQ(c.expected.setsOutcome, effect.setsOutcome);
    EXPECT_EQ(c.expected.outcome, effect.outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Notices, NoticeTest,
    ::testing::Values(
        NoticeCase{"install_begins", 1, 0, Effect(true, false, false, false, false, 16, 6)},
        NoticeCase{"uninstall_begins", 4, 0, Effect(true, false, false, false, false, 17, 13)},
        NoticeCase{"install_ends_well", 2, 1, Effect(false, true, true, true, true, 7, 8)},
        NoticeCase{"install_ends_badly", 2, 0, Effect(false, true, false, false, true, 9, 8, false, SetupOutcome::Failed)},
        // 2: done, a restart completes it: the restart box instead of the
        // launch box. 3 (a newer
        // version installed) and anything else fail.
        NoticeCase{"install_ends_awaiting_a_restart", 2, 2, Effect(false, true, true, false, true, 22, 8, true, SetupOutcome::DoneAfterRestart)},
        NoticeCase{"uninstall_ends_awaiting_a_restart", 5, 2, Effect(false, true, true, false, true, 23, 8, true, SetupOutcome::DoneAfterRestart)},
        NoticeCase{"install_refused_for_a_newer_version", 2, 3, Effect(false, true, false, false, true, 9, 8, false, SetupOutcome::NewerInstalled)},
        NoticeCase{"install_ends_with_another_flag", 2, 7, Effect(false, true, false, false, true, 9, 8, false, SetupOutcome::Failed)},
        NoticeCase{"uninstall_ends_well", 5, 1, Effect(false, true, true, false, true, 15, 8)},
        NoticeCase{"uninstall_ends_badly", 5, 0, Effect(false, true, false, false, true, 14, 8, false, SetupOutcome::Failed)},
        // The failure notices leave the timer running.
        NoticeCase{"install_failed", 3, 0, Effect(false, false, false, false, true, 9, 8, false, SetupOutcome::Failed)},
        NoticeCase{"uninstall_failed", 6, 1, Effect(false, false, false, false, true, 14, 8, false, SetupOutcome::Failed)},
        // The notice is the low byte of wParam.
        NoticeCase{"high_bits_are_ignored", 0x0101, 0, Effect(true, false, false, false, false, 16, 6)},
        NoticeCase{"zero_is_no_notice", 0, 1, NoticeEffect{}},
        NoticeCase{"seven_is_no_notice", 7, 1, NoticeEffect{}},
        NoticeCase{"a_high_byte_alone_is_no_notice", 0x0200, 1, NoticeEffect{}}),
    [](const ::testing::TestParamInfo<NoticeCase>& info) { return std::string(info.param.name); });

TEST(WizardPagesTest, EnterPressesTheActionButtonThenNothingThenFinish) {
    EXPECT_EQ(1000, DefaultButtonOf(WizardPage::Ready));
    EXPECT_EQ(0, DefaultButtonOf(WizardPage::Progress));
    EXPECT_EQ(IDOK, DefaultButtonOf(WizardPage::End));
}

// What the skinned controls tell a screen reader, for the kinds and states
// the wizard itself never shows (radio buttons, hover, links).
TEST(ControlFactsTest, KindAndStateBecomeRoleStateAndDefaultAction) {
    const struct {
        ButtonKind kind;
        WindowShows shows;
        int check;
        bool hovering;
        long role, state;
        const wchar_t* action;
    } kCases[] = {
        {ButtonKind::Push, {true, true, false}, 1, true, 43, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_HOTTRACKED, L"Press"},
        {ButtonKind::Push, {true, false, false}, 0, true, 43, STATE_SYSTEM_UNAVAILABLE, L"Press"},
        {ButtonKind::CheckBox, {true, true, true}, 1, false, 44,
         STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_CHECKED, L"Uncheck"},
        {ButtonKind::CheckBox, {false, true, false}, 2, false, 44, STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_FOCUSABLE,
         L"Check"},
        {ButtonKind::Radio, {true, true, false}, 1, false, 45, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED, L"Check"},
    };
    for (const auto& c : kCases) {
        const fw::AccessibleFacts facts = DescribeButton(c.kind, c.shows, c.check, c.hovering, L"OK");
        EXPECT_EQ(c.role, facts.role);
        EXPECT_EQ(c.state, facts.state) << c.role;
        EXPECT_EQ(c.action, facts.defaultAction) << c.role;
        EXPECT_EQ(L"OK", facts.name);
    }
    const fw::AccessibleFacts link = DescribeLabel(true, false, L"home");
    EXPECT_EQ(ROLE_SYSTEM_LINK, link.role);
    EXPECT_EQ(STATE_SYSTEM_LINKED | STATE_SYSTEM_INVISIBLE, link.state);
    EXPECT_EQ(L"Jump", link.defaultAction);
    const fw::AccessibleFacts text = DescribeLabel(false, true, L"home");
    EXPECT_EQ(ROLE_SYSTEM_STATICTEXT, text.role);
    EXPECT_EQ(STATE_SYSTEM_READONLY, text.state);
    EXPECT_EQ(L"", text.defaultAction);
    EXPECT_EQ(L"home", text.name);
}

// The controls' places at 100 % are the skin's; at any other scale each
// distance scales with it, and the title grows to a line of its font.
TEST(WizardPagesTest, LayoutScalesWithTheDisplay) {
    const auto same = [](const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; };
    const auto at = [](const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; };
    const WizardLayout at96 = ComputeWizardLayout(584, 96, 16);
    EXPECT_TRUE(same(RECT{14, 7, 524, 16}, at96.title)) << "a whole 16-pixel line of the title's font";
    EXPECT_EQ(15, ComputeWizardLayout(584, 96, 14).title.bottom) << "never less than 15 pixels";
    EXPECT_TRUE(same(RECT{35, 55, 514, 35}, at96.upper));
    EXPECT_TRUE(same(RECT{200, 170, 354, 60}, at96.lower));
    EXPECT_TRUE(same(RECT{205, 235, 339, 30}, at96.progress));
    EXPECT_TRUE(at(POINT{552, 11}, at96.close));
    EXPECT_TRUE(at(POINT{312, 380}, at96.action));
    EXPECT_TRUE(at(POINT{312, 380}, at96.finish));
    EXPECT_TRUE(at(POINT{451, 380}, at96.cancel));
    EXPECT_TRUE(at(POINT{200, 235}, at96.launchBox));

    const WizardLayout at192 = ComputeWizardLayout(1168, 192, 30);
    EXPECT_TRUE(same(RECT{28, 14, 1048, 30}, at192.title));
    EXPECT_TRUE(same(RECT{410, 470, 678, 60}, at192.progress));
    EXPECT_TRUE(at(POINT{902, 760}, at192.cancel));
    EXPECT_TRUE(at(POINT{400, 470}, at192.launchBox));

    // 150 %: 15 pixels become 23 (22.5 rounded up), a line of 11 points 25.
    EXPECT_TRUE(same(RECT{21, 11, 786, 25}, ComputeWizardLayout(876, 144, 25).title));
    EXPECT_EQ(23, ComputeWizardLayout(876, 144, 20).title.bottom);
}

} // namespace
