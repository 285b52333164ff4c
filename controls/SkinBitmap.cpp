#include "controls/SkinBitmap.h"

HBITMAP SkinBitmap::LoadOwnBitmap(UINT id) {
    // The executable's own resources, never the language module's.
    return ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
}

SkinBitmap::~SkinBitmap() {
    region_.Reset();
    bitmap_.Reset();
}

BOOL SkinBitmap::Load(UINT id, Loader loader) {
    if (bitmap_) return FALSE;
    return Adopt(loader(id));
}

BOOL SkinBitmap::Adopt(HBITMAP bitmap) {
    if (bitmap_ || !bitmap) return FALSE;
    bitmap_.Reset(bitmap);
    return TRUE;
}

BOOL SkinBitmap::Unload() {
    if (!bitmap_) return FALSE;
    bitmap_.Reset();
    return TRUE;
}

SIZE SkinBitmap::GetSize() const {
    BITMAP info = {};
    if (!bitmap_ || !::GetObjectW(bitmap_.Get(), sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

BOOL SkinBitmap::Draw(HDC target, int x, int y) const {
    SIZE size = GetSize();
    if (size.cx == 0 || size.cy == 0) return FALSE;
    fw::MemoryDC source(target);
    fw::ScopedSelect select(source.Get(), bitmap_.Get());
    return ::BitBlt(target, x, y, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY);
}

BOOL SkinBitmap::DrawStretched(HDC target, const RECT& dest) const {
    SIZE size = GetSize();
    if (size.cx == 0 || size.cy == 0) return FALSE;
    fw::MemoryDC source(target);
    fw::ScopedSelect select(source.Get(), bitmap_.Get());
    ::StretchBlt(target, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                 source.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
    return TRUE;
}

BOOL SkinBitmap::DrawBordered(HDC target, const RECT& dest, SIZE border) const {
    const SIZE size = GetSize();
    const int rw = dest.right - dest.left, rh = dest.bottom - dest.top;
    const int cx = border.cx, cy = border.cy;
    if (rw <= 2 * cx || rh <= 2 * cy || size.cx <= 2 * cx || size.cy <= 2 * cy) return FALSE;

    fw::MemoryDC a(target), b(target);
    fw::ScopedBitmap wide(::CreateCompatibleBitmap(target, rw, size.cy));
    fw::ScopedBitmap full(::CreateCompatibleBitmap(target, rw, rh));
    if (!a || !b || !wide || !full) return FALSE;
    {
        // Left strip, stretched middle, right strip: rw x H.
        fw::ScopedSelect intoA(a.Get(), wide.Get());
        fw::ScopedSelect intoB(b.Get(), bitmap_.Get());
        ::BitBlt(a.Get(), 0, 0, cx, size.cy, b.Get(), 0, 0, SRCCOPY);
        ::StretchBlt(a.Get(), cx, 0, rw - 2 * cx, size.cy, b.Get(), cx, 0, size.cx - 2 * cx,
                     size.cy, SRCCOPY);
        ::BitBlt(a.Get(), rw - cx, 0, cx, size.cy, b.Get(), size.cx - cx, 0, SRCCOPY);
    }
    fw::ScopedSelect intoA(a.Get(), full.Get());
    fw::ScopedSelect intoB(b.Get(), wide.Get());
    // Top band, stretched middle, bottom band: rw x rh.
    ::BitBlt(a.Get(), 0, 0, rw, cy, b.Get(), 0, 0, SRCCOPY);
    ::StretchBlt(a.Get(), 0, cy, rw, rh - 2 * cy, b.Get(), 0, cy, rw, size.cy - 2 * cy, SRCCOPY);
    ::BitBlt(a.Get(), 0, rh - cy, rw, cy, b.Get(), 0, size.cy - cy, SRCCOPY);
    ::BitBlt(target, dest.left, dest.top, rw, rh, a.Get(), 0, 0, SRCCOPY);
    return TRUE;
}

HRGN CopyRegion(HRGN source) {
    if (!source) return nullptr;
    HRGN copy = ::CreateRectRgn(0, 0, 0, 0);
    if (copy && ::CombineRgn(copy, source, nullptr, RGN_COPY) == ERROR) {
        ::DeleteObject(copy);
        return nullptr;
    }
    return copy;
}
