#include "controls/LinkLabel.h"

#include "controls/LabelDrawing.h"

namespace {
const int kGradientBands = 100;
}

void LinkLabel::Paint(HDC dc) {
    RECT client = {};
    ::GetClientRect(Hwnd(), &client);
    const std::wstring caption = Caption();
    if (transparent_) {
        DrawContent(dc, client, caption);
        return;
    }
    // Off screen, so the face reaches the window in one copy.
    fw::MemoryDC buffer(dc);
    fw::ScopedBitmap canvas(::CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!buffer || !canvas) return;
    fw::ScopedSelect select(buffer.Get(), canvas.Get());
    DrawContent(buffer.Get(), client, caption);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer.Get(), 0, 0, SRCCOPY);
}

void LinkLabel::DrawContent(HDC dc, const RECT& client, const std::wstring& caption) {
    const int previousMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColor = ::SetTextColor(dc, captionColor_);
    fw::ScopedSelect font(dc, font_.Get());
    if (!transparent_) DrawBackground(dc, client);

    if (flashMode_ == FlashMode::Caption && !flashPhase_) {
        // Hidden phase: the caption takes the colour of the solid ground.
        LOGBRUSH brush = {};
        if (backgroundBrush_) ::GetObjectW(backgroundBrush_.Get(), sizeof brush, &brush);
        ::SetTextColor(dc, brush.lbColor);
    }

    if (centreAnchored_) {
        const UINT previousAlign = ::SetTextAlign(dc, TA_BASELINE);
        POINT origin = {};
        ::GetViewportOrgEx(dc, &origin);
        ::SetViewportOrgEx(dc, origin.x + client.right / 2, origin.y + client.bottom / 2, nullptr);
        ::TextOutW(dc, 0, 0, caption.c_str(), static_cast<int>(caption.size()));
        ::SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        ::SetTextAlign(dc, previousAlign);
    } else {
        const UINT format = LabelTextFormat(::GetWindowLongW(Hwnd(), GWL_STYLE), caption);
        RECT area = client;
        ::DrawTextW(dc, caption.c_str(), -1, &area, format);
        if (shadeOn_) {
            ::SetTextColor(dc, shadeColor_);
            const int offset = shadeDownRight_ ? 1 : -1;
            ::OffsetRect(&area, offset, offset);
            ::DrawTextW(dc, caption.c_str(), -1, &area, format);
        }
    }
    ::SetBkMode(dc, previousMode);
    ::SetTextColor(dc, previousColor);
}

void LinkLabel::DrawBackground(HDC dc, const RECT& client) {
    // A background blink shows the default face in its off phase.
    const bool blinkOff = flashMode_ == FlashMode::Background && timerRunning_ && !flashPhase_;
    if (blinkOff)
        ::FillRect(dc, &client, defaultBrush_.Get());
    else if (gradientOn_)
        FillGradient(dc, client, backgroundColor_, gradientEndColor_, kGradientBands);
    else
        ::FillRect(dc, &client, backgroundBrush_ ? backgroundBrush_.Get() : defaultBrush_.Get());
}

std::wstring LinkLabel::Caption() const {
    const int length = ::GetWindowTextLengthW(Hwnd());
    std::wstring text(length + 1, L'\0');
    text.resize(::GetWindowTextW(Hwnd(), &text[0], length + 1));
    return text;
}
