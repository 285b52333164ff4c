#pragma once
#include <windows.h>

#include <string>

#include "framework/Control.h"
#include "framework/Gdi.h"

// A dialog's static text drawn by itself: its own colour and font, over a
// solid or gradient background or transparently over the parent, with an
// optional shade, angle and blinking; it can act as a link.
class LinkLabel : public fw::Control {
public:
    using ShellOpener = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

    LinkLabel();

    virtual LinkLabel& SetBackground(COLORREF color, COLORREF endColor, bool gradient);
    virtual LinkLabel& SetCaptionColor(COLORREF color);
    virtual LinkLabel& SetCaption(const std::wstring& caption);
    virtual LinkLabel& SetBold(bool bold);
    virtual LinkLabel& SetFaceName(const std::wstring& face, BYTE charset);
    virtual LinkLabel& SetUnderline(bool underline);
    virtual LinkLabel& SetItalic(bool italic);
    virtual LinkLabel& SetPointSize(int points);
    virtual LinkLabel& SetSunkenEdge(bool sunken);
    virtual LinkLabel& SetFrameBorder(bool border);
    virtual LinkLabel& SetTransparentMode(bool transparent);
    virtual LinkLabel& SetCaptionFlash(bool on);
    virtual LinkLabel& SetBackgroundFlash(bool on);
    virtual LinkLabel& SetUrlLink(bool link, bool notify);
    virtual LinkLabel& SetHoverCursor(HCURSOR cursor);
    virtual LinkLabel& SetShade(bool on, bool downRight);
    virtual LinkLabel& SetAngle(int degrees, bool centreAnchored);
    virtual LinkLabel& SetShadeColor(COLORREF color);
    virtual LinkLabel& SetLogFont(LOGFONTW description);
    virtual LinkLabel& SetMailLink(bool link, bool notify);
    virtual LinkLabel& SetLinkTarget(const std::wstring& target);

    // The code of the WM_NOTIFY a notifying link sends its parent.
    static const UINT kClickNotification = 0x8200;

    // The display's dpi that SetPointSize sizes the font for; 0, the
    // default, asks the screen at each call.
    LinkLabel& SetDpi(int dpi) { dpi_ = dpi; return *this; }

    void Paint(HDC dc);
    const LOGFONTW& FontDescription() const { return fontDescription_; }
    // What opens url and mail links (ShellExecuteW unless a test says so).
    void SetShellOpener(ShellOpener opener) { shellOpen_ = opener; }

    // A screen reader hears static text or a link, and can follow the link.
    bool Describe(fw::AccessibleFacts& facts) const override;
    void DoDefaultAction() override { Open(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnAttach() override;

private:
    enum class LinkKind { None, Url, Mail };
    enum class FlashMode { None, Caption, Background };

    void Redraw();
    void RebuildFont();
    LinkLabel& SetLink(LinkKind kind, bool notify);
    void StartFlash(FlashMode mode);
    void StopTimer();
    void SetStyleBit(int index, LONG bit, bool on);

    void DrawContent(HDC dc, const RECT& client, const std::wstring& caption);
    void DrawBackground(HDC dc, const RECT& client);
    std::wstring Caption() const;

    LRESULT OnSetFont(HFONT font, bool redraw);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    void Open();
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysColorChange();
    LRESULT OnPaint();

    COLORREF captionColor_;
    COLORREF shadeColor_ = RGB(255, 255, 255);
    fw::ScopedBrush defaultBrush_;
    fw::ScopedBrush backgroundBrush_;
    LOGFONTW fontDescription_ = {};
    fw::ScopedFont font_;
    bool flashPhase_ = false;
    bool timerStarted_ = false;
    bool timerRunning_ = false;
    LinkKind linkKind_ = LinkKind::None;
    bool notifyParent_ = false;
    bool transparent_ = false;
    bool shadeOn_ = false;
    bool shadeDownRight_ = false;
    bool centreAnchored_ = false;
    FlashMode flashMode_ = FlashMode::None;
    HCURSOR hoverCursor_ = nullptr;
    bool gradientOn_ = false;
    COLORREF backgroundColor_ = 0;
    COLORREF gradientEndColor_ = 0;
    std::wstring linkTarget_;
    ShellOpener shellOpen_ = &::ShellExecuteW;
    int dpi_ = 0;
};
