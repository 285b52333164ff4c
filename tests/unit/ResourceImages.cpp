#include "tests/unit/ResourceImages.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace test {

ResourceFile::ResourceFile(const std::wstring& path)
    : module_(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}

std::vector<BYTE> ResourceFile::Data(LPCWSTR type, int id) const {
    if (!module_.Get()) return {};
    HRSRC found = ::FindResourceW(module_.Get(), MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module_.Get(), found);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!bytes) return {};
    return std::vector<BYTE>(bytes, bytes + ::SizeofResource(module_.Get(), found));
}

StoredBitmap::StoredBitmap(std::vector<BYTE> data) : data_(std::move(data)) {
    if (data_.size() >= sizeof header_) std::memcpy(&header_, data_.data(), sizeof header_);
}

bool StoredBitmap::Valid() const {
    if (header_.biSize != sizeof header_ || header_.biCompression != BI_RGB) return false;
    if (header_.biBitCount != 24 && header_.biBitCount != 32) return false;
    if (header_.biWidth <= 0 || header_.biHeight == 0) return false;
    const size_t stride = (header_.biWidth * header_.biBitCount / 8 + 3) & ~3u;
    return data_.size() >= header_.biSize + stride * Height();
}

COLORREF StoredBitmap::Pixel(int x, int y) const {
    const size_t stride = (header_.biWidth * header_.biBitCount / 8 + 3) & ~3u;
    const int row = header_.biHeight > 0 ? Height() - 1 - y : y;
    const BYTE* p = data_.data() + header_.biSize + stride * row + x * (header_.biBitCount / 8);
    return RGB(p[2], p[1], p[0]);
}

std::vector<IconGroupEntry> IconGroup(const ResourceFile& file, int id) {
    std::vector<BYTE> data = file.Data(RT_GROUP_ICON, id);
    const size_t head = 3 * sizeof(WORD);
    if (data.size() < head) return {};
    WORD count = 0;
    std::memcpy(&count, data.data() + 2 * sizeof(WORD), sizeof count);
    std::vector<IconGroupEntry> entries(count);
    if (data.size() < head + count * sizeof(IconGroupEntry)) return {};
    std::memcpy(entries.data(), data.data() + head, count * sizeof(IconGroupEntry));
    return entries;
}

namespace {
double Channel(int value) {
    const double v = value / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF c) {
    return 0.2126 * Channel(GetRValue(c)) + 0.7152 * Channel(GetGValue(c)) + 0.0722 * Channel(GetBValue(c));
}
} // namespace

double Contrast(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace test
