#pragma once
#include <windows.h>

namespace fw {

// Move-only owner of one GDI object (bitmap, brush, font, region, pen).
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : object_(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    T Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    T Release() {
        T object = object_;
        object_ = nullptr;
        return object;
    }
    void Reset(T object = nullptr) {
        if (object_) ::DeleteObject(object_);
        object_ = object;
    }

private:
    T object_ = nullptr;
};

using ScopedBitmap = GdiObject<HBITMAP>;
using ScopedBrush = GdiObject<HBRUSH>;
using ScopedFont = GdiObject<HFONT>;
using ScopedRegion = GdiObject<HRGN>;

// A memory device context, deleted with the object.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() { if (dc_) ::DeleteDC(dc_); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// The screen's device context for the lifetime of the object.
class ScreenDC {
public:
    ScreenDC() : dc_(::GetDC(nullptr)) {}
    ~ScreenDC() { if (dc_) ::ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back with itself.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() { if (previous_) ::SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SaveDC for the lifetime of the object.
class ScopedSaveDC {
public:
    explicit ScopedSaveDC(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    ~ScopedSaveDC() { if (saved_) ::RestoreDC(dc_, saved_); }
    ScopedSaveDC(const ScopedSaveDC&) = delete;
    ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

} // namespace fw
