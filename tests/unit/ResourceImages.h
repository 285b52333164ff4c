#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handle.h"

namespace test {

// A program's resources, read without running the program.
class ResourceFile {
public:
    explicit ResourceFile(const std::wstring& path);
    HMODULE Get() const { return module_.Get(); }
    // The raw bytes of a resource, empty when there is none.
    std::vector<BYTE> Data(LPCWSTR type, int id) const;

private:
    fw::Module module_;
};

// A BITMAP resource as stored: its header and its BI_RGB pixels.
class StoredBitmap {
public:
    explicit StoredBitmap(std::vector<BYTE> data);
    bool Valid() const;
    const BITMAPINFOHEADER& Header() const { return header_; }
    LONG Width() const { return header_.biWidth; }
    LONG Height() const { return header_.biHeight < 0 ? -header_.biHeight : header_.biHeight; }
    // The pixel at (x, y), y counted from the top, as a COLORREF.
    COLORREF Pixel(int x, int y) const;

private:
    std::vector<BYTE> data_;
    BITMAPINFOHEADER header_ = {};
};

#pragma pack(push, 2)
// One image of an icon group (RT_GROUP_ICON), as the resource compiler writes it.
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

std::vector<IconGroupEntry> IconGroup(const ResourceFile& file, int id);

// Contrast ratio of two colours by their relative luminance, from 1 to 21.
double Contrast(COLORREF a, COLORREF b);

} // namespace test
