#pragma once
#include <windows.h>

#include <string>

#include "controls/ButtonPicture.h"
#include "framework/Accessible.h"

// What a control's window shows, in the terms a screen reader's state takes.
struct WindowShows {
    bool visible;
    bool enabled;
    bool focused;
};

// A bitmap button by its drawing kind: push button, check box or radio
// button, its state from the window, its check and the pointer over it.
fw::AccessibleFacts DescribeButton(ButtonKind kind, WindowShows shows, int checkState, bool hovering,
                                   const std::wstring& name);

// A label is static text, or a link when a click opens or notifies something.
fw::AccessibleFacts DescribeLabel(bool link, bool visible, const std::wstring& name);
