#include "pagestore/qr_compress.h"

#include "platform/errors.h"
#include "platform/memory_stream.h"
#include "platform/stream.h"

#include <algorithm>

#define QRP_INLINE inline __attribute__((always_inline))

namespace {
constexpr size_t kBlock = 4096;
constexpr int kRoot = 0;
constexpr int kFirstLeaf = 256;
} // namespace

TQRCompress::TQRCompress(TStream& stream, bool compress, int64_t limit)
    : stream_(stream), compress_(compress), limit_(limit), bitIndex_(compress ? 0 : 7)
{
    ResetTree();
    if (compress_)
        buffer_.reserve(kBlock);
}

void TQRCompress::ResetTree()
{
    for (int i = 1; i <= 512; ++i) {
        parent_[i] = uint8_t((i - 1) / 2);
        side_[i] = uint8_t(i % 2 == 0);
    }
    parent_[0] = 0;
    side_[0] = 0;
    for (int i = 0; i < 256; ++i) {
        child_[i][0] = uint16_t(2 * i + 1);
        child_[i][1] = uint16_t(2 * i + 2);
    }
}

// The parent's sibling s takes a's place under c, and a takes s's place under d (c's parent).
QRP_INLINE void TQRCompress::SplayStep(int a, int aSide, int c, int cSide, int d)
{
    const int uncleSide = cSide ^ 1;
    const int s = child_[d][uncleSide];
    child_[d][uncleSide] = uint16_t(a);
    parent_[a] = uint8_t(d);
    side_[a] = uint8_t(uncleSide);
    child_[c][aSide] = uint16_t(s);
    parent_[s] = uint8_t(c);
    side_[s] = uint8_t(aSide);
}

// Exchanges the node with its parent's sibling and goes on from the grandparent, so the node rises
// one level per pass and the climb two.
QRP_INLINE void TQRCompress::SemiSplay(int node)
{
    int a = node;
    while (a != kRoot) {
        const int c = parent_[a];
        if (c == kRoot)
            break;
        SplayStep(a, side_[a], c, side_[c], parent_[c]);
        a = parent_[a];
    }
}

QRP_INLINE void TQRCompress::WriteCodeByte(uint8_t value)
{
    buffer_.push_back(value);
    if (buffer_.size() == kBlock) [[unlikely]] {
        stream_.WriteBuffer(buffer_.data(), int32_t(buffer_.size()));
        buffer_.clear();
    }
}

QRP_INLINE uint8_t TQRCompress::ReadCodeByte()
{
    if (bufferPos_ < buffer_.size()) [[likely]]
        return buffer_[bufferPos_++];
    return RefillAndRead();
}

// Coded bytes pass through the stream a block at a time; the decoder never reads past its limit.
uint8_t TQRCompress::RefillAndRead()
{
    size_t want = kBlock;
    if (limit_ >= 0) {
        const int64_t left = limit_ - stream_.Position();
        if (left <= 0)
            throw EReadError();
        want = size_t(std::min<int64_t>(left, int64_t(kBlock)));
    }
    buffer_.resize(want);
    const int32_t got = stream_.Read(buffer_.data(), int32_t(want));
    buffer_.resize(size_t(std::max(got, 0)));
    bufferPos_ = 0;
    if (buffer_.empty())
        throw EReadError();
    return buffer_[bufferPos_++];
}

// The loops below keep the bit state in locals across a whole block: they are the coder's hot
// path. The single-byte entry points run the same code for one byte.
//
// The encoder climbs from the leaf once, splaying as it goes: the semi-splay only reshapes the
// levels it has passed, so the bits it gathers are those of the path before the splay, which are
// the byte's code. The bits are gathered in a word, each new one (nearer the root) below those
// before it, so that the root's bit ends lowest, as it is sent first. A path deeper than a word
// holds, rare in a tree that splays what it sees, leaves its deeper parts in words of their own,
// sent after the part nearer the root.
void TQRCompress::EncodeBytes(std::span<const uint8_t> values)
{
    constexpr unsigned kWordBits = 56; // with fewer than 8 bits pending, a word fits in 64
    uint64_t pending = pendingByte_;
    unsigned bits = bitIndex_;
    const auto send = [&](uint64_t word, unsigned count) __attribute__((always_inline))
    {
        pending |= word << bits;
        bits += count;
        while (bits >= 8) {
            WriteCodeByte(uint8_t(pending));
            pending >>= 8;
            bits -= 8;
        }
    };
    for (const uint8_t value : values) {
        uint64_t deeper[256 / kWordBits + 1];
        int deeperWords = 0;
        uint64_t path = 0;
        unsigned depth = 0;
        const auto gather = [&](unsigned bit) __attribute__((always_inline))
        {
            path = (path << 1) | bit;
            if (++depth == kWordBits) [[unlikely]] {
                deeper[deeperWords++] = path;
                path = 0;
                depth = 0;
            }
        };
        int a = kFirstLeaf + value;
        while (a != kRoot) {
            const int c = parent_[a];
            const int aSide = side_[a];
            gather(unsigned(aSide));
            if (c == kRoot)
                break;
            const int d = parent_[c];
            const int cSide = side_[c];
            gather(unsigned(cSide));
            SplayStep(a, aSide, c, cSide, d);
            a = d;
        }
        send(path, depth);
        while (deeperWords > 0)
            send(deeper[--deeperWords], kWordBits);
    }
    bitIndex_ = uint8_t(bits);
    pendingByte_ = uint16_t(pending);
}

void TQRCompress::DecodeBytes(std::span<uint8_t> values)
{
    unsigned bit = bitIndex_;
    unsigned input = inputByte_;
    const auto keepState = [&] {
        bitIndex_ = uint8_t(bit);
        inputByte_ = uint16_t(input);
    };
    try {
        for (uint8_t& value : values) {
            int a = kRoot;
            while (a < kFirstLeaf) {
                if (bit == 7) {
                    input = ReadCodeByte();
                    bit = 0;
                } else {
                    ++bit;
                }
                a = child_[a][(input >> bit) & 1u];
            }
            SemiSplay(a);
            value = uint8_t(a - kFirstLeaf);
        }
    } catch (...) {
        keepState();
        throw;
    }
    keepState();
}

void TQRCompress::EncodeByte(uint8_t value)
{
    EncodeBytes(std::span<const uint8_t>(&value, 1));
}

uint8_t TQRCompress::DecodeByte()
{
    uint8_t value;
    DecodeBytes(std::span<uint8_t>(&value, 1));
    return value;
}

void TQRCompress::Finish()
{
    if (compress_) {
        if (bitIndex_ != 0) {
            WriteCodeByte(uint8_t(pendingByte_));
            bitIndex_ = 0;
            pendingByte_ = 0;
        }
        if (!buffer_.empty())
            stream_.WriteBuffer(buffer_.data(), int32_t(buffer_.size()));
        buffer_.clear();
    } else if (bufferPos_ < buffer_.size()) {
        stream_.Seek(-int32_t(buffer_.size() - bufferPos_), soCurrent);
        buffer_.clear();
        bufferPos_ = 0;
    }
}

std::vector<uint8_t> CompressBlock(std::span<const uint8_t> plain)
{
    TMemoryStream coded;
    coded.Reserve(int32_t(plain.size() / 2 + 64));  // typical pages code to well under half
    TQRCompress coder(coded, true);
    coder.EncodeBytes(plain);
    coder.Finish();
    return coded.TakeBytes();
}
