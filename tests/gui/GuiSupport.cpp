#include "tests/gui/GuiSupport.h"

#include "tests/support/TestSupport.h"

namespace gui {

namespace {
const int kTestDialogId = 100;
const UINT kRunBody = WM_APP + 1;

COLORREF FromPixel(DWORD pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}
DWORD ToPixel(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}
} // namespace

Canvas::Canvas(int width, int height, COLORREF fill)
    : width_(width), height_(height), dc_(nullptr) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<DWORD*>(bits);
    previous_ = ::SelectObject(dc_.Get(), bitmap_.Get());
    Fill(fill);
}

Canvas::~Canvas() { ::SelectObject(dc_.Get(), previous_); }

COLORREF Canvas::At(int x, int y) const {
    ::GdiFlush();
    return FromPixel(bits_[y * width_ + x]);
}

void Canvas::Fill(COLORREF color) {
    ::GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = ToPixel(color);
}

int Canvas::Count(COLORREF color) const { return Count(color, RECT{0, 0, width_, height_}); }

int Canvas::Count(COLORREF color, const RECT& area) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (At(x, y) == color) ++count;
    return count;
}

RECT Canvas::Bounds(COLORREF color) const {
    RECT bounds = {width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (At(x, y) == color) {
                if (x < bounds.left) bounds.left = x;
                if (y < bounds.top) bounds.top = y;
                if (x + 1 > bounds.right) bounds.right = x + 1;
                if (y + 1 > bounds.bottom) bounds.bottom = y + 1;
            }
    if (bounds.right == 0) return RECT{0, 0, 0, 0};
    return bounds;
}

void Canvas::CaptureWindow(HWND hwnd) {
    HDC window = ::GetDC(hwnd);
    ::BitBlt(dc_.Get(), 0, 0, width_, height_, window, 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd, window);
}

HBITMAP MakeBitmap(int width, int height, const std::function<COLORREF(int, int)>& color) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    const int stride = (width * 3 + 3) & ~3;
    auto* bytes = static_cast<BYTE*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = color(x, y);
            BYTE* p = bytes + y * stride + x * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return bitmap;
}

HBITMAP MakeSolidBitmap(int width, int height, COLORREF color) {
    return MakeBitmap(width, height, [color](int, int) { return color; });
}

TestDialog::TestDialog(std::function<void(TestDialog&)> body)
    : fw::Dialog(::GetModuleHandleW(nullptr), kTestDialogId, nullptr), body_(std::move(body)) {}

BOOL TestDialog::OnInitDialog() {
    ::PostMessageW(Hwnd(), kRunBody, 0, 0);
    return TRUE;
}

INT_PTR TestDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kRunBody:
        ::ShowWindow(Hwnd(), SW_SHOW);
        ::SetForegroundWindow(Hwnd());
        ::UpdateWindow(Hwnd());
        PumpPending();
        body_(*this);
        End(IDOK);
        return TRUE;
    case WM_NOTIFY:
        notifications.push_back(*reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    }
    return fw::Dialog::HandleMessage(msg, wParam, lParam);
}

bool TestDialog::OnCommand(WORD id, WORD code, HWND) {
    if (onCommand) onCommand(id, code);
    commands.push_back(Command{id, code});
    return true; // the test decides when the dialog ends
}

HWND TestDialog::AddChild(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                          int x, int y, int width, int height) {
    HWND child = ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                   height, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(child, WM_SETFONT, ::SendMessageW(Hwnd(), WM_GETFONT, 0, 0), FALSE);
    return child;
}

void TestDialog::Reset() {
    HWND child;
    while ((child = ::GetWindow(Hwnd(), GW_CHILD)) != nullptr) ::DestroyWindow(child);
    PumpPending();
    commands.clear();
    notifications.clear();
    onCommand = nullptr;
}

namespace {
TestDialog* host = nullptr;
}

TestDialog& Host() { return *host; }

int RunTestsInHost(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    int result = 1;
    TestDialog dialog([&result](TestDialog&) { result = RUN_ALL_TESTS(); });
    host = &dialog;
    dialog.Run();
    host = nullptr;
    return result;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return test::WaitFor(done, timeoutMs);
}

void PumpPending() {
    // Two quiet rounds in a row: nothing more was queued by what ran.
    int quiet = 0;
    const DWORD start = ::GetTickCount();
    while (quiet < 2 && ::GetTickCount() - start < 2000) {
        MSG msg;
        bool any = false;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        quiet = any ? 0 : quiet + 1;
        if (!any) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT);
    }
}

std::wstring ScreenshotDir() {
    std::wstring path = L"Z:" + test::Env(L"AV_SCREENSHOTS");
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    ::CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

} // namespace gui
