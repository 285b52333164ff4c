#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

// The wizard asks for "Arial" and shows Chinese texts in it and in its
// dialog's font: the fonts the test prefixes provide must give the metrics
// and the glyphs a Windows user sees, or pictures of the wizard mislead.
namespace {

class ScreenDc {
public:
    ScreenDc() : dc_(::CreateCompatibleDC(nullptr)) {}
    ~ScreenDc() { ::DeleteDC(dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

class SelectedFont {
public:
    SelectedFont(HDC dc, const wchar_t* face, int height, int weight)
        : dc_(dc), font_(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                       DEFAULT_PITCH, face)),
          old_(::SelectObject(dc, font_)) {}
    ~SelectedFont() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    bool Valid() const { return font_ != nullptr; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

struct WidthCase {
    const char* name;
    int weight;
    // Advance widths of "a", "i", "m" and "W" in Arial's own units (2048 an em).
    int widths[4];
};

void PrintTo(const WidthCase& c, std::ostream* out) { *out << c.name; }

class ArialMetricsTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(ArialMetricsTest, AdvanceWidthsAreArials) {
    ScreenDc dc;
    // At an em of 2048 pixels each advance width is the font's own unit count.
    SelectedFont font(dc.Get(), L"Arial", -2048, GetParam().weight);
    ASSERT_TRUE(font.Valid());
    const wchar_t letters[] = L"aimW";
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(static_cast<char>(letters[i]));
        INT width = 0;
        ASSERT_TRUE(::GetCharWidth32W(dc.Get(), letters[i], letters[i], &width));
        EXPECT_EQ(GetParam().widths[i], width);
    }
}

const WidthCase kArial[] = {
    {"Regular", FW_NORMAL, {1139, 455, 1706, 1933}},
    {"Bold", FW_BOLD, {1139, 569, 1821, 1933}},
};

INSTANTIATE_TEST_SUITE_P(Fonts, ArialMetricsTest, ::testing::ValuesIn(kArial),
                         [](const ::testing::TestParamInfo<WidthCase>& info) { return info.param.name; });

// The pixels of one character drawn white on black in a 24 x 24 square.
std::vector<BYTE> Glyph(HDC dc, wchar_t ch) {
    const int size = 24;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return {};
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all = {0, 0, size, size};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkMode(dc, TRANSPARENT);
    ::TextOutW(dc, 2, 2, &ch, 1);
    ::GdiFlush();
    const BYTE* p = static_cast<const BYTE*>(bits);
    std::vector<BYTE> pixels;
    for (int i = 0; i < size * size; ++i) pixels.push_back(p[4 * i + 1]);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    return pixels;
}

int Ink(const std::vector<BYTE>& glyph) {
    int ink = 0;
    for (BYTE b : glyph) ink += b > 128;
    return ink;
}

class ChineseGlyphTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(ChineseGlyphTest, EachCharacterHasItsOwnGlyph) {
    ScreenDc dc;
    for (int weight : {FW_NORMAL, FW_BOLD}) {
        SCOPED_TRACE(weight);
        SelectedFont font(dc.Get(), GetParam(), -16, weight);
        ASSERT_TRUE(font.Valid());
        // A private-use character no font has: what a missing glyph looks like.
        const std::vector<BYTE> missing = Glyph(dc.Get(), 0xE000);
        std::vector<std::vector<BYTE>> seen;
        for (wchar_t ch : std::wstring(L"立即啟動應用程式安裝取消")) {
            SCOPED_TRACE(static_cast<int>(ch));
            std::vector<BYTE> glyph = Glyph(dc.Get(), ch);
            EXPECT_GT(Ink(glyph), 20);
            EXPECT_FALSE(glyph == missing) << "drawn as a missing glyph";
            EXPECT_TRUE(std::find(seen.begin(), seen.end(), glyph) == seen.end()) << "drawn like another character";
            seen.push_back(glyph);
        }
    }
}

std::string FaceName(const ::testing::TestParamInfo<const wchar_t*>& info) {
    std::string name;
    for (const wchar_t* p = info.param; *p; ++p)
        if (*p != L' ') name += static_cast<char>(*p);
    return name;
}

// The labels draw in "Arial"; the buttons in the dialog's font.
INSTANTIATE_TEST_SUITE_P(Fonts, ChineseGlyphTest,
                         ::testing::Values(L"Arial", L"MS Shell Dlg", L"System", L"Tahoma"), FaceName);

} // namespace
