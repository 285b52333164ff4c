#include "controls/ControlFacts.h"

#include <oleacc.h>

namespace {

long RoleOf(ButtonKind kind) {
    switch (kind) {
    case ButtonKind::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case ButtonKind::Radio: return ROLE_SYSTEM_RADIOBUTTON;
    default: return ROLE_SYSTEM_PUSHBUTTON;
    }
}

const wchar_t* ActionOf(ButtonKind kind, bool checked) {
    if (kind == ButtonKind::CheckBox) return checked ? L"Uncheck" : L"Check";
    if (kind == ButtonKind::Radio) return L"Check";
    return L"Press";
}

} // namespace

fw::AccessibleFacts DescribeButton(ButtonKind kind, WindowShows shows, int checkState, bool hovering,
                                   const std::wstring& name) {
    const bool checked = kind != ButtonKind::Push && kind != ButtonKind::None && checkState == 1;
    fw::AccessibleFacts facts;
    facts.role = RoleOf(kind);
    facts.state = (shows.visible ? 0 : STATE_SYSTEM_INVISIBLE) |
                  (shows.enabled ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE) |
                  (shows.focused ? STATE_SYSTEM_FOCUSED : 0) | (checked ? STATE_SYSTEM_CHECKED : 0) |
                  (hovering && shows.enabled ? STATE_SYSTEM_HOTTRACKED : 0);
    facts.name = name;
    facts.defaultAction = ActionOf(kind, checked);
    return facts;
}

fw::AccessibleFacts DescribeLabel(bool link, bool visible, const std::wstring& name) {
    fw::AccessibleFacts facts;
    facts.role = link ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_STATICTEXT;
    facts.state = (link ? STATE_SYSTEM_LINKED : STATE_SYSTEM_READONLY) | (visible ? 0 : STATE_SYSTEM_INVISIBLE);
    facts.name = name;
    if (link) facts.defaultAction = L"Jump";
    return facts;
}
