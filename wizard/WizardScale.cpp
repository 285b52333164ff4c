// The wizard at the display's scale: the dpi is read before the window is
// sized, and a move to a display of another dpi rescales everything as if
// the wizard had started there.
#include "wizard/WizardDialog.h"

#include <utility>

#include "framework/Dpi.h"

namespace {

// The width of four dialog units in a font, as the dialog manager measures
// it: the average width of the alphabet's letters.
int DialogBaseUnitX(HFONT font) {
    static const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    fw::ScreenDC screen;
    fw::ScopedSelect select(screen.Get(), font);
    SIZE extent = {};
    if (!::GetTextExtentPoint32W(screen.Get(), alphabet, 52, &extent)) return 0;
    return (extent.cx / 26 + 1) / 2;
}

} // namespace

void WizardDialog::SetUpFonts() {
    for (LinkLabel* label : {&titleLabel_, &upperText_, &lowerText_}) label->SetDpi(dpi_);
}

// The dialog made the buttons' font from its template at the dpi it started
// with; at another dpi they get the same font at that dpi.
void WizardDialog::ScaleButtonFont(int fromDpi) {
    LOGFONTW description = {};
    HGDIOBJ dialogFont = reinterpret_cast<HGDIOBJ>(::SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    if (!dialogFont || !::GetObjectW(dialogFont, sizeof description, &description)) return;
    description.lfHeight = ::MulDiv(description.lfHeight, dpi_, fromDpi);
    description.lfWidth = ::MulDiv(description.lfWidth, dpi_, fromDpi);
    fw::ScopedFont font(::CreateFontIndirectW(&description));
    if (!font) return;
    for (CBmpBtnCtrl* button : {&closeButton_, &actionButton_, &finishButton_, &cancelButton_, &launchBox_})
        ::SendMessageW(button->Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    if (int unit = DialogBaseUnitX(font.Get())) dialogBaseUnitX_ = unit;
    // The buttons hold the new font now; the old one may go.
    buttonFont_ = std::move(font);
}

INT_PTR WizardDialog::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi > 0 && dpi != dpi_) {
        dpi_ = dpi;
        LoadSkinBitmaps();
        SetUpFonts();
        titleLabel_.SetPointSize(kTitlePoints);
        upperText_.SetPointSize(kUpperPoints);
        lowerText_.SetPointSize(kLowerPoints);
        ScaleButtonFont(templateDpi_);
    }
    // The suggested place (where it stands without one); the size is the
    // background's at the new dpi, which is the suggested size give or take
    // the rounding of a pixel.
    RECT frame = {};
    ::GetWindowRect(Hwnd(), &frame);
    const POINT origin = suggested ? POINT{suggested->left, suggested->top} : POINT{frame.left, frame.top};
    ApplyWindowShape(&origin);
    LayOutControls();
    ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return TRUE;
}
