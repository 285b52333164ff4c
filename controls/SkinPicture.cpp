#include "controls/SkinPicture.h"

#include "controls/PictureScaling.h"
#include "controls/PngImage.h"
#include "framework/Dpi.h"
#include "framework/Gdi.h"

namespace {

// The key colour is kept unblended, so a scaled background still cuts the
// window's shape.
const LONG kKeyColor = RGB(255, 0, 255);
const int kDrawnScales[] = {200};

// A 32-bit top-down DIB section holding `pixels`.
HBITMAP MakeBitmap(const std::uint32_t* pixels, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) ::memcpy(bits, pixels, static_cast<size_t>(width) * height * 4);
    return bitmap;
}

bool ReadBitmap(HBITMAP bitmap, PngImage& image) {
    BITMAP description = {};
    if (!::GetObjectW(bitmap, sizeof description, &description)) return false;
    image.width = description.bmWidth;
    image.height = description.bmHeight;
    image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    fw::ScreenDC screen;
    return ::GetDIBits(screen.Get(), bitmap, 0, image.height, image.pixels.data(), &info,
                       DIB_RGB_COLORS) == image.height;
}

bool ReadPng(UINT id, int scale, PngImage& image) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    // Each drawn scale has a resource type of its own: "PNG200".
    wchar_t type[16];
    ::wsprintfW(type, L"PNG%d", scale);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    return data && DecodePng(static_cast<const std::uint8_t*>(data), ::SizeofResource(module, found), image);
}

} // namespace

int SourceScaleFor(int dpi) {
    if (dpi <= 96) return 100;
    int largest = 100;
    for (int scale : kDrawnScales) {
        if (scale * 96 >= dpi * 100) return scale;
        largest = scale;
    }
    return largest;
}

HBITMAP LoadSkinPicture(UINT id, int dpi) {
    HBITMAP original = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    if (!original || dpi == 96) return original;
    fw::ScopedBitmap owned(original);
    PngImage plain;
    if (!ReadBitmap(original, plain)) return nullptr;
    const int width = fw::ScaleToDpi(plain.width, dpi), height = fw::ScaleToDpi(plain.height, dpi);
    const int scale = SourceScaleFor(dpi);
    PngImage drawn;
    const PngImage& source = scale != 100 && ReadPng(id, scale, drawn) ? drawn : plain;
    if (source.width == width && source.height == height)
        return MakeBitmap(source.pixels.data(), width, height);
    const std::vector<std::uint32_t> scaled =
        ScalePicture(source.pixels.data(), source.width, source.height, width, height, kKeyColor);
    return MakeBitmap(scaled.data(), width, height);
}
