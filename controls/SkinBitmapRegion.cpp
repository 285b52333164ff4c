#include "controls/SkinBitmap.h"

namespace {

bool IsKey(HDC dc, SIZE size, int x, int y, COLORREF key) {
    if (x < 0 || y < 0 || x >= size.cx || y >= size.cy) return false;
    return ::GetPixel(dc, x, y) == key;
}

void Combine(HRGN into, int left, int top, int right, int bottom, int mode) {
    fw::ScopedRegion part(::CreateRectRgn(left, top, right, bottom));
    ::CombineRgn(into, into, part.Get(), mode);
}

} // namespace

HRGN SkinBitmap::GetKeyRegion(LONG key, RECT keep) {
    if (key == -1) return region_.Get();
    fw::MemoryDC dc(nullptr);
    fw::ScopedSelect select(dc.Get(), bitmap_.Get());
    const SIZE size = GetSize();
    region_.Reset();
    const RECT zero = {0, 0, 0, 0};
    if (::EqualRect(&keep, &zero))
        BuildByRows(dc.Get(), size, static_cast<COLORREF>(key));
    else
        BuildByFrame(dc.Get(), size, keep, static_cast<COLORREF>(key));
    return region_.Get();
}

// One rectangle per run of non-key pixels, row by row.
void SkinBitmap::BuildByRows(HDC dc, SIZE size, COLORREF key) {
    region_.Reset(::CreateRectRgn(0, 0, 0, 0));
    for (int y = 0; y < size.cy; ++y) {
        int x = 0;
        while (x < size.cx) {
            while (x < size.cx && IsKey(dc, size, x, y, key)) ++x;
            const int start = x;
            while (x < size.cx && !IsKey(dc, size, x, y, key)) ++x;
            if (x > start) Combine(region_.Get(), start, y, x, y + 1, RGN_OR);
        }
    }
}

// Starts from the full rectangle and toggles every key pixel found in the
// frame around `keep`; the inside of the frame is never examined.
void SkinBitmap::BuildByFrame(HDC dc, SIZE size, const RECT& keep, COLORREF key) {
    region_.Reset(::CreateRectRgn(0, 0, size.cx, size.cy));
    auto visit = [&](int x, int y) {
        if (IsKey(dc, size, x, y, key)) Combine(region_.Get(), x, y, x + 1, y + 1, RGN_XOR);
    };
    for (int x = 0; x < keep.left; ++x)
        for (int y = 0; y < size.cy; ++y) visit(x, y);
    for (int x = keep.left; x < keep.right; ++x) {
        for (int y = 0; y <= keep.top; ++y) visit(x, y);
        for (int y = keep.bottom; y < size.cy; ++y) visit(x, y);
    }
    for (int x = keep.right; x < size.cx; ++x)
        for (int y = 0; y < size.cy; ++y) visit(x, y);
}
