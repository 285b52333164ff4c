#include "tests/support/PngWriter.h"

namespace png {

namespace {

uint32_t Crc(const std::string& data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& body) {
    PutBig32(out, static_cast<uint32_t>(body.size()));
    std::string typed = std::string(type, 4) + body;
    out += typed;
    PutBig32(out, Crc(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string Stored(const std::string& raw) {
    std::string out = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    size_t pos = 0;
    do {
        const size_t length = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        const bool last = pos + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, pos, length);
        pos += length;
    } while (pos < raw.size());
    PutBig32(out, (b << 16) | a);
    return out;
}

} // namespace

std::string Encode(int width, int height, const uint32_t* pixels) {
    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = pixels[static_cast<size_t>(y) * width + x];
            raw += static_cast<char>((pixel >> 16) & 0xFF);
            raw += static_cast<char>((pixel >> 8) & 0xFF);
            raw += static_cast<char>(pixel & 0xFF);
        }
    }
    std::string header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    std::string out = "\x89PNG\r\n\x1a\n";
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", Stored(raw));
    PutChunk(out, "IEND", "");
    return out;
}

bool WriteFile(const std::wstring& path, int width, int height, const uint32_t* pixels) {
    const std::string data = Encode(width, height, pixels);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == data.size();
}

} // namespace png
