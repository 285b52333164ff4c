#pragma once
#include <windows.h>

// How a bitmap button draws, from the low byte of its original style.
enum class ButtonKind { None, Push, CheckBox, Radio };
ButtonKind KindOfButtonType(int buttonType);

// The six pictures of a bitmap button, in the order they are kept.
enum ButtonPicture {
    kNormalPicture,
    kPressedPicture,
    kCheckedPicture,
    kHoverPicture,
    kDisabledPicture,
    kDisabledCheckedPicture,
    kPictureCount
};

// The picture for a state (an empty one falls back to normal at drawing).
ButtonPicture ChooseButtonPicture(ButtonKind kind, UINT itemState, bool hovering, int checkState);

// The window size that fits a button to its normal picture: a push button
// takes the picture's size; a check box or radio button exchanges the
// system's check square for the picture and 2 pixels, and is 4 taller
// (pixels at 96 dpi, scaled to `dpi`).
SIZE FitButtonSize(ButtonKind kind, SIZE picture, int clientWidth, int menuCheckWidth, int dpi);
