#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "tests/support/Mouse.h"

namespace gui {

// A 32-bit top-down DIB selected into its own memory DC, filled with one
// colour: the target that tests paint into and read pixels back from.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(1, 2, 3));
    HDC Dc() const { return dc_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    void Fill(COLORREF color);
    // Pixels of exactly this colour inside the rectangle (whole canvas by default).
    int Count(COLORREF color) const;
    int Count(COLORREF color, const RECT& area) const;
    // The smallest rectangle holding every pixel of the colour; empty if none.
    RECT Bounds(COLORREF color) const;
    // Copies what a window shows on screen.
    void CaptureWindow(HWND hwnd);
    bool SavePng(const std::wstring& path) const;

    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

private:
    int width_, height_;
    fw::MemoryDC dc_;
    fw::ScopedBitmap bitmap_;
    DWORD* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A 24-bit DIB section of the given size whose pixels come from `color`.
HBITMAP MakeBitmap(int width, int height, const std::function<COLORREF(int x, int y)>& color);
HBITMAP MakeSolidBitmap(int width, int height, COLORREF color);

// A dialog from the test program's template that runs `body` once it is
// up, then closes. It records the WM_COMMAND and WM_NOTIFY it receives.
// Every test runs inside one such dialog (Host): under Xvfb, without a
// window manager, Wine waits two seconds for each window it hides.
class TestDialog : public fw::Dialog {
public:
    explicit TestDialog(std::function<void(TestDialog&)> body);
    void Run() { DoModal(); }
    // A child control made for the test, with the dialog's font.
    HWND AddChild(const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y,
                  int width, int height);

    struct Command {
        WORD id;
        WORD code;
    };
    std::vector<Command> commands;
    std::vector<NMHDR> notifications;
    // Called for every WM_COMMAND before it is recorded.
    std::function<void(WORD id, WORD code)> onCommand;
    // Destroys the test's children and forgets what was recorded.
    void Reset();

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    std::function<void(TestDialog&)> body_;
};

// The dialog the tests run in, and the fixture that cleans it after each test.
TestDialog& Host();
int RunTestsInHost(int argc, char** argv);

class GuiTest : public ::testing::Test {
protected:
    void TearDown() override { Host().Reset(); }
    TestDialog& dialog() { return Host(); }
};

// Delivers messages until `done` holds or the deadline passes.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);
// Delivers what is queued now and what that brings, for a short while.
void PumpPending();

using test::ClickAt;
using test::MoveMouseAway;
using test::MoveMouseTo;

// Folder for the test run's pictures (AV_SCREENSHOTS), as a Windows path.
std::wstring ScreenshotDir();

} // namespace gui
