#pragma once
#include <windows.h>

#include "framework/Gdi.h"

// One picture of a skinned control: a bitmap that draws at its natural
// size, stretched, or stretched with unscaled borders, and cuts a window
// region of its non-key pixels.
class SkinBitmap {
public:
    // Where Load finds bitmap `id`; the caller owns the result.
    using Loader = HBITMAP (*)(UINT id);
    static HBITMAP LoadOwnBitmap(UINT id);

    SkinBitmap() = default;
    explicit SkinBitmap(UINT id) { Load(id); }
    ~SkinBitmap();
    SkinBitmap(const SkinBitmap&) = delete;
    SkinBitmap& operator=(const SkinBitmap&) = delete;

    BOOL Load(UINT id, Loader loader = &LoadOwnBitmap);
    // Takes ownership of a bitmap made elsewhere; the object must be empty.
    BOOL Adopt(HBITMAP bitmap);
    BOOL Unload();
    bool IsEmpty() const { return !bitmap_; }
    // 0 x 0 for an empty object.
    SIZE GetSize() const;

    // The region of pixels not of colour `key` (-1: none, returns the last
    // region built). An all-zero `keep` scans every row; any other keep
    // rectangle searches only the frame around it. The region stays owned
    // by this object: hand a window a copy (CopyRegion).
    HRGN GetKeyRegion(LONG key, RECT keep);

    BOOL Draw(HDC target, int x, int y) const;
    BOOL DrawStretched(HDC target, const RECT& dest) const;
    BOOL DrawBordered(HDC target, const RECT& dest, SIZE border) const;

private:
    void BuildByRows(HDC dc, SIZE size, COLORREF key);
    void BuildByFrame(HDC dc, SIZE size, const RECT& keep, COLORREF key);

    fw::ScopedBitmap bitmap_;
    fw::ScopedRegion region_;
};

// A new region equal to `source`, owned by the caller; null for null.
HRGN CopyRegion(HRGN source);
