#include "tests/gui/ButtonPictures.h"

#include "tests/gui/GuiSupport.h"

namespace pictures {

HBITMAP Load(UINT id) {
    static const COLORREF colors[] = {kNormal, kPressed, kHover, kChecked, kDisabled, kDisabledChecked};
    if (id == kPushKeyed) {
        // 3 x 3 key squares in every corner.
        return gui::MakeBitmap(kPushSize.cx, kPushSize.cy, [](int x, int y) {
            const bool cornerX = x < 3 || x >= kPushSize.cx - 3;
            const bool cornerY = y < 3 || y >= kPushSize.cy - 3;
            return cornerX && cornerY ? kKey : kNormal;
        });
    }
    if (id >= kPushNormal && id <= kPushDisabledChecked)
        return gui::MakeSolidBitmap(kPushSize.cx, kPushSize.cy, colors[id - kPushNormal]);
    if (id >= kBoxNormal && id <= kBoxDisabledChecked)
        return gui::MakeSolidBitmap(kBoxSize.cx, kBoxSize.cy, colors[id - kBoxNormal]);
    return nullptr;
}

} // namespace pictures
