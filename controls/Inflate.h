#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Unpacks a zlib stream (RFC 1950 around RFC 1951 deflate) into `out`.
// The skin's larger pictures are stored compressed; Windows XP has no
// decoder of its own for them. False for a damaged or truncated stream.
bool Inflate(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);
