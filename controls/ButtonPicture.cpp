#include "controls/ButtonPicture.h"

#include "framework/Dpi.h"

ButtonKind KindOfButtonType(int buttonType) {
    switch (buttonType) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return ButtonKind::Push;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX: return ButtonKind::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return ButtonKind::Radio;
    }
    return ButtonKind::None;
}

ButtonPicture ChooseButtonPicture(ButtonKind kind, UINT itemState, bool hovering, int checkState) {
    const bool disabled = itemState & ODS_DISABLED;
    const bool selected = itemState & ODS_SELECTED;
    if (kind == ButtonKind::Push) {
        if (disabled) return kDisabledPicture;
        if (selected) return kPressedPicture;
        if (hovering) return kHoverPicture;
        return kNormalPicture;
    }
    const bool checked = checkState == 1;
    if (disabled && checked) return kDisabledCheckedPicture;
    if (disabled) return kDisabledPicture;
    if (checked) return kCheckedPicture;
    if (hovering) return kHoverPicture;
    if (selected) return kPressedPicture;
    return kNormalPicture;
}

SIZE FitButtonSize(ButtonKind kind, SIZE picture, int clientWidth, int menuCheckWidth, int dpi) {
    if (kind == ButtonKind::CheckBox || kind == ButtonKind::Radio)
        return SIZE{picture.cx + clientWidth - menuCheckWidth + fw::ScaleToDpi(2, dpi),
                    picture.cy + fw::ScaleToDpi(4, dpi)};
    return picture;
}
