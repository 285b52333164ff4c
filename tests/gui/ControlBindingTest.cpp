// Binding control objects to dialog items and reflecting their notifications.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Control.h"
#include "tests/gui/GuiSupport.h"

namespace {

const int kItem = 200;

// Handles WM_GETTEXTLENGTH itself and records what is reflected to it.
class ProbeControl : public fw::Control {
public:
    std::vector<std::wstring>* log = nullptr;
    bool drawsItems = true;
    int attachCalls = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_GETTEXTLENGTH) return 4242;
        return Default(msg, wParam, lParam);
    }
    void OnAttach() override { ++attachCalls; }
    bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) override {
        if (log) log->push_back(L"draw " + std::to_wstring(item.CtlID));
        return drawsItems;
    }
    void OnReflectedCommand(WORD code) override {
        if (log) log->push_back(L"control " + std::to_wstring(code));
    }
};

WNDPROC ProcOf(HWND hwnd) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

class ControlBinding : public gui::GuiTest {};

} // namespace

TEST_F(ControlBinding, SubclassesForwardsAndRestoresOnDetach) {
    gui::TestDialog& d = dialog();
    {
        HWND item = d.AddChild(L"STATIC", L"text", SS_LEFT, kItem, 10, 10, 100, 20);
        const WNDPROC original = ProcOf(item);
        ProbeControl probe;
        ASSERT_TRUE(probe.Attach(d.Hwnd(), kItem));
        EXPECT_EQ(item, probe.Hwnd());
        EXPECT_EQ(1, probe.attachCalls);
        EXPECT_EQ(&probe, fw::Control::FromHandle(item));
        EXPECT_NE(original, ProcOf(item));
        // Handled by the object; everything else still reaches the static control.
        EXPECT_EQ(4242, ::SendMessageW(item, WM_GETTEXTLENGTH, 0, 0));
        ::SetWindowTextW(item, L"changed");
        wchar_t text[32] = {};
        ::GetWindowTextW(item, text, 32);
        EXPECT_STREQ(L"changed", text);
        // A second object cannot take a window that is bound already.
        ProbeControl other;
        EXPECT_FALSE(other.Attach(d.Hwnd(), kItem));

        probe.Detach();
        EXPECT_EQ(original, ProcOf(item));
        EXPECT_EQ(nullptr, fw::Control::FromHandle(item));
        EXPECT_EQ(7, ::SendMessageW(item, WM_GETTEXTLENGTH, 0, 0));
        EXPECT_EQ(nullptr, probe.Hwnd());
    }
}

TEST_F(ControlBinding, LetsGoWhenTheWindowIsDestroyed) {
    gui::TestDialog& d = dialog();
    {
        HWND item = d.AddChild(L"STATIC", L"text", SS_LEFT, kItem, 10, 10, 100, 20);
        ProbeControl probe;
        ASSERT_TRUE(probe.Attach(d.Hwnd(), kItem));
        ::DestroyWindow(item);
        EXPECT_EQ(nullptr, probe.Hwnd());
        // A new item of the same id can be bound again.
        HWND again = d.AddChild(L"STATIC", L"text", SS_LEFT, kItem, 10, 10, 100, 20);
        EXPECT_TRUE(probe.Attach(d.Hwnd(), kItem));
        EXPECT_EQ(again, probe.Hwnd());
    }
}

TEST_F(ControlBinding, UnbindsWhenTheObjectGoesFirst) {
    gui::TestDialog& d = dialog();
    {
        HWND item = d.AddChild(L"STATIC", L"text", SS_LEFT, kItem, 10, 10, 100, 20);
        const WNDPROC original = ProcOf(item);
        {
            ProbeControl probe;
            ASSERT_TRUE(probe.Attach(d.Hwnd(), kItem));
        }
        EXPECT_EQ(original, ProcOf(item));
        EXPECT_EQ(4, ::SendMessageW(item, WM_GETTEXTLENGTH, 0, 0));
    }
}

TEST_F(ControlBinding, ReflectsCommandToTheControlFirstThenTheDialog) {
    gui::TestDialog& d = dialog();
    {
        std::vector<std::wstring> log;
        d.onCommand = [&log](WORD id, WORD code) {
            log.push_back(L"dialog " + std::to_wstring(id) + L" " + std::to_wstring(code));
        };
        HWND button = d.AddChild(L"BUTTON", L"Go", BS_PUSHBUTTON, kItem, 10, 10, 80, 24);
        ProbeControl probe;
        probe.log = &log;
        ASSERT_TRUE(probe.Attach(d.Hwnd(), kItem));
        ::SendMessageW(button, BM_CLICK, 0, 0);
        gui::PumpPending();
        const std::vector<std::wstring> expected = {L"control 0", L"dialog 200 0"};
        EXPECT_EQ(expected, log);
        // Items that no object is bound to reach the dialog alone.
        log.clear();
        HWND plain = d.AddChild(L"BUTTON", L"Plain", BS_PUSHBUTTON, kItem + 1, 10, 40, 80, 24);
        ::SendMessageW(plain, BM_CLICK, 0, 0);
        gui::PumpPending();
        EXPECT_EQ(std::vector<std::wstring>{L"dialog 201 0"}, log);
    }
}

TEST_F(ControlBinding, ReflectsItsOwnDrawItemToTheControl) {
    gui::TestDialog& d = dialog();
    {
        std::vector<std::wstring> log;
        HWND button = d.AddChild(L"BUTTON", L"", BS_OWNERDRAW, kItem, 10, 10, 80, 24);
        ProbeControl probe;
        probe.log = &log;
        ASSERT_TRUE(probe.Attach(d.Hwnd(), kItem));
        gui::Canvas canvas(80, 24);
        ::SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()),
                       PRF_CLIENT);
        EXPECT_EQ(std::vector<std::wstring>{L"draw 200"}, log);
    }
}
