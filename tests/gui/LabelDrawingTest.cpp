// The label's pure drawing decisions: text format, gradient bands, font height.
#include <gtest/gtest.h>

#include <string>

#include "controls/LabelDrawing.h"

namespace {

struct FormatCase {
    const char* name;
    LONG style;
    const wchar_t* caption;
    UINT expected;
};

class LabelTextFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(LabelTextFormatTest, FollowsTheStyle) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(c.expected, LabelTextFormat(c.style, c.caption));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, LabelTextFormatTest,
    ::testing::Values(
        FormatCase{"LeftWraps", SS_LEFT, L"text", DT_LEFT | DT_WORDBREAK},
        FormatCase{"OtherTypesWrapLeft", SS_SIMPLE, L"text", DT_LEFT | DT_WORDBREAK},
        FormatCase{"Center", SS_CENTER, L"text", DT_CENTER | DT_WORDBREAK},
        FormatCase{"Right", SS_RIGHT, L"text", DT_RIGHT | DT_WORDBREAK},
        FormatCase{"LeftNoWordWrap", SS_LEFTNOWORDWRAP, L"text", DT_LEFT},
        FormatCase{"TabExpands", SS_LEFT, L"a\tb", DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS},
        FormatCase{"TabExpandsWithoutWrap", SS_LEFTNOWORDWRAP, L"a\tb", DT_EXPANDTABS},
        FormatCase{"RightWithTab", SS_RIGHT | SS_NOTIFY, L"a\tb", DT_RIGHT | DT_WORDBREAK | DT_EXPANDTABS},
        FormatCase{"CenterImageOneLine", SS_LEFT | SS_CENTERIMAGE, L"one line",
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        FormatCase{"CenterImageWithLineBreak", SS_RIGHT | SS_CENTERIMAGE, L"one\r\ntwo", DT_CENTER},
        FormatCase{"CenterImageDropsTabs", SS_LEFT | SS_CENTERIMAGE, L"a\tb",
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        FormatCase{"BareNewlineIsOneLine", SS_CENTERIMAGE, L"one\ntwo",
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST(GradientBands, NarrowRectangleHasOneBandPerColumn) {
    const auto bands = GradientBands(RECT{0, 0, 40, 10}, RGB(0, 0, 0), RGB(255, 0, 0), 100);
    ASSERT_EQ(40u, bands.size());
    for (size_t i = 0; i < bands.size(); ++i) {
        EXPECT_EQ(int(i), bands[i].left);
        EXPECT_EQ(int(i) + 1, bands[i].right);
    }
    EXPECT_EQ(RGB(0, 0, 0), bands.front().color);
    // 8.8 steps of 255 * 256 / 40: the last band is 39 steps on.
    EXPECT_EQ(RGB(39 * (255 * 256 / 40) / 256, 0, 0), bands.back().color);
}

TEST(GradientBands, WideRectangleHasAHundredBandsTheLastTakingTheRest) {
    const auto bands = GradientBands(RECT{10, 0, 460, 10}, RGB(0, 200, 0), RGB(100, 0, 50), 100);
    ASSERT_EQ(100u, bands.size());
    for (size_t i = 0; i + 1 < bands.size(); ++i) {
        EXPECT_EQ(4, bands[i].right - bands[i].left) << "band " << i;
        EXPECT_EQ(bands[i].right, bands[i + 1].left);
    }
    EXPECT_EQ(10, bands.front().left);
    EXPECT_EQ(54, bands.back().right - bands.back().left);
    EXPECT_EQ(460, bands.back().right);
    // Falling channels truncate toward zero: green steps by -512 exactly.
    EXPECT_EQ(RGB(0, 200, 0), bands.front().color);
    EXPECT_EQ(RGB(99 * 256 / 256, 200 - 99 * 2, 99 * 128 / 256), bands.back().color);
}

TEST(GradientBands, EmptyRectangleHasNone) {
    EXPECT_TRUE(GradientBands(RECT{5, 0, 5, 10}, 0, 0xFFFFFF, 100).empty());
    EXPECT_TRUE(GradientBands(RECT{5, 0, 2, 10}, 0, 0xFFFFFF, 100).empty());
    EXPECT_EQ(1u, GradientBands(RECT{0, 0, 1, 10}, 0, 0xFFFFFF, 100).size());
}

TEST(PointSize, ElevenPointsAtNinetySixDpiAreFourteenPixelsHigh) {
    EXPECT_EQ(-14, PointSizeToHeight(11, 96));
    EXPECT_EQ(-13, PointSizeToHeight(10, 96));
    EXPECT_EQ(-12, PointSizeToHeight(9, 96));
    EXPECT_EQ(-18, PointSizeToHeight(11, 120));
}

} // namespace
