#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace png {

// An 8-bit RGB PNG of `width` x `height` pixels, top row first, each pixel
// 0x00RRGGBB (the layout of a 32-bit top-down DIB). The image data is stored
// uncompressed, so the writer needs no library and any viewer reads it.
std::string Encode(int width, int height, const uint32_t* pixels);

// Writes Encode's result to `path`; false when the file cannot be written.
bool WriteFile(const std::wstring& path, int width, int height, const uint32_t* pixels);

} // namespace png
