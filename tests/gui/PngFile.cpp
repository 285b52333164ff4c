// The canvas as a PNG file, through the project's small PNG writer.
#include "tests/gui/GuiSupport.h"

#include "tests/support/PngWriter.h"

namespace gui {

bool Canvas::SavePng(const std::wstring& path) const {
    ::GdiFlush();
    return png::WriteFile(path, width_, height_, reinterpret_cast<const uint32_t*>(bits_));
}

} // namespace gui
