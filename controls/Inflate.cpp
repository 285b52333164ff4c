#include "controls/Inflate.h"

namespace {

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Huffman {
    std::uint16_t counts[16];
    std::uint16_t symbols[288];
};

class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Failed() const { return failed_; }

    unsigned Bits(int count) {
        unsigned value = 0;
        for (int i = 0; i < count; ++i) value |= Bit() << i;
        return value;
    }
    unsigned Bit() {
        if (bitCount_ == 0) {
            if (position_ >= size_) {
                failed_ = true;
                return 0;
            }
            bitBuffer_ = data_[position_++];
            bitCount_ = 8;
        }
        const unsigned bit = bitBuffer_ & 1;
        bitBuffer_ >>= 1;
        --bitCount_;
        return bit;
    }
    void AlignToByte() { bitCount_ = 0; }
    bool Byte(std::uint8_t& value) {
        if (position_ >= size_) return failed_ = true, false;
        value = data_[position_++];
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    unsigned bitBuffer_ = 0;
    int bitCount_ = 0;
    bool failed_ = false;
};

bool Build(Huffman& code, const std::uint8_t* lengths, int count) {
    for (auto& c : code.counts) c = 0;
    for (int i = 0; i < count; ++i) ++code.counts[lengths[i]];
    code.counts[0] = 0;
    std::uint16_t offsets[16];
    offsets[1] = 0;
    for (int len = 1; len < 15; ++len) offsets[len + 1] = offsets[len] + code.counts[len];
    for (int i = 0; i < count; ++i)
        if (lengths[i]) code.symbols[offsets[lengths[i]]++] = static_cast<std::uint16_t>(i);
    return true;
}

int Decode(BitReader& in, const Huffman& code) {
    int first = 0, index = 0, value = 0;
    for (int len = 1; len < 16; ++len) {
        value |= static_cast<int>(in.Bit());
        const int count = code.counts[len];
        if (value - first < count) return code.symbols[index + value - first];
        index += count;
        first = (first + count) << 1;
        value <<= 1;
        if (in.Failed()) return -1;
    }
    return -1;
}

const std::uint16_t kLengthBase[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                                     35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const std::uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const std::uint16_t kDistanceBase[] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                                       193, 257, 385, 513, 769, 1025, 1537, 2049, 3073,
                                       4097, 6145, 8193, 12289, 16385, 24577};
const std::uint8_t kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool Codes(BitReader& in, const Huffman& lengths, const Huffman& distances,
           std::vector<std::uint8_t>& out) {
    for (;;) {
        int symbol = Decode(in, lengths);
        if (symbol < 0) return false;
        if (symbol < 256) {
            out.push_back(static_cast<std::uint8_t>(symbol));
            continue;
        }
        if (symbol == 256) return true;
        symbol -= 257;
        if (symbol >= 29) return false;
        const unsigned length = kLengthBase[symbol] + in.Bits(kLengthExtra[symbol]);
        const int d = Decode(in, distances);
        if (d < 0 || d >= 30) return false;
        const std::size_t distance = kDistanceBase[d] + in.Bits(kDistanceExtra[d]);
        if (in.Failed() || distance > out.size()) return false;
        for (unsigned i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
    }
}

void FixedCodes(Huffman& lengths, Huffman& distances) {
    std::uint8_t l[288];
    for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    Build(lengths, l, 288);
    for (int i = 0; i < 30; ++i) l[i] = 5;
    Build(distances, l, 30);
}

bool DynamicCodes(BitReader& in, Huffman& lengths, Huffman& distances) {
    static const std::uint8_t order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                           11, 4, 12, 3, 13, 2, 14, 1, 15};
    const int literalCount = static_cast<int>(in.Bits(5)) + 257;
    const int distanceCount = static_cast<int>(in.Bits(5)) + 1;
    const int codeCount = static_cast<int>(in.Bits(4)) + 4;
    if (literalCount > 286 || distanceCount > 30) return false;
    std::uint8_t l[288 + 32] = {};
    for (int i = 0; i < codeCount; ++i) l[order[i]] = static_cast<std::uint8_t>(in.Bits(3));
    Huffman codeLengths;
    Build(codeLengths, l, 19);
    for (auto& v : l) v = 0;
    for (int i = 0; i < literalCount + distanceCount;) {
        const int symbol = Decode(in, codeLengths);
        if (symbol < 0) return false;
        if (symbol < 16) {
            l[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t repeated = 0;
        int times;
        if (symbol == 16) {
            if (i == 0) return false;
            repeated = l[i - 1];
            times = 3 + static_cast<int>(in.Bits(2));
        } else if (symbol == 17) {
            times = 3 + static_cast<int>(in.Bits(3));
        } else {
            times = 11 + static_cast<int>(in.Bits(7));
        }
        if (i + times > literalCount + distanceCount) return false;
        while (times--) l[i++] = repeated;
    }
    Build(lengths, l, literalCount);
    Build(distances, l + literalCount, distanceCount);
    return !in.Failed();
}

bool Stored(BitReader& in, std::vector<std::uint8_t>& out) {
    in.AlignToByte();
    std::uint8_t b[4];
    for (auto& v : b) if (!in.Byte(v)) return false;
    const unsigned length = b[0] | (b[1] << 8);
    if ((length ^ 0xFFFF) != static_cast<unsigned>(b[2] | (b[3] << 8))) return false;
    for (unsigned i = 0; i < length; ++i) {
        std::uint8_t v;
        if (!in.Byte(v)) return false;
        out.push_back(v);
    }
    return true;
}

} // namespace

bool Inflate(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    // The zlib header: deflate with a window of at most 32 KB, no preset dictionary.
    if (size < 2 || (data[0] & 0x0F) != 8 || ((data[0] << 8) | data[1]) % 31 != 0 || (data[1] & 0x20))
        return false;
    BitReader in(data + 2, size - 2);
    Huffman lengths, distances;
    for (bool last = false; !last;) {
        last = in.Bit() != 0;
        const unsigned type = in.Bits(2);
        bool ok;
        if (type == 0) {
            ok = Stored(in, out);
        } else if (type == 1) {
            FixedCodes(lengths, distances);
            ok = Codes(in, lengths, distances, out);
        } else if (type == 2) {
            ok = DynamicCodes(in, lengths, distances) && Codes(in, lengths, distances, out);
        } else {
            ok = false;
        }
        if (!ok || in.Failed()) return false;
    }
    return true;
}
