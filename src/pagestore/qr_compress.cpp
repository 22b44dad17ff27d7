#include "pagestore/qr_compress.h"

#include "platform/errors.h"
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
    for (int i = 1; i <= 512; ++i)
        parent_[i] = uint8_t((i - 1) / 2);
    parent_[0] = 0;
    for (int i = 0; i < 256; ++i) {
        left_[i] = uint16_t(2 * i + 1);
        right_[i] = uint16_t(2 * i + 2);
    }
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
        const int d = parent_[c];
        int s;
        if (left_[d] == c) {
            s = right_[d];
            right_[d] = uint16_t(a);
        } else {
            s = left_[d];
            left_[d] = uint16_t(a);
        }
        if (left_[c] == a)
            left_[c] = uint16_t(s);
        else
            right_[c] = uint16_t(s);
        parent_[a] = uint8_t(d);
        parent_[s] = uint8_t(c);
        a = d;
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
void TQRCompress::EncodeBytes(std::span<const uint8_t> values)
{
    unsigned bit = bitIndex_;
    unsigned pending = pendingByte_;
    for (const uint8_t value : values) {
        // The path is found leaf to root and sent root to leaf; a leaf lies at most 256 deep.
        bool path[256];
        int count = 0;
        for (int a = kFirstLeaf + value; a != kRoot;) {
            const int p = parent_[a];
            path[count++] = right_[p] == a;
            a = p;
        }
        while (count > 0) {
            if (path[--count])
                pending |= 1u << bit;
            if (bit == 7) {
                WriteCodeByte(uint8_t(pending));
                bit = 0;
                pending = 0;
            } else {
                ++bit;
            }
        }
        SemiSplay(kFirstLeaf + value);
    }
    bitIndex_ = uint8_t(bit);
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
                a = (input >> bit) & 1u ? right_[a] : left_[a];
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
