#pragma once
#include <windows.h>

#include <string>

namespace fw {

// What a control tells a screen reader where the system's own accessible
// object for its window knows no better than "client".
struct AccessibleFacts {
    long role = 0;
    long state = 0;
    std::wstring name;
    std::wstring defaultAction;  // empty: the control has none
};

// The answer to WM_GETOBJECT for OBJID_CLIENT of a bound control that
// describes itself: an accessible object that asks the control each time
// and leaves everything else (place, parent, navigation) to the system's.
// 0, as for an unhandled request, when the accessibility library is missing.
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam);

} // namespace fw
