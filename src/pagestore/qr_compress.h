#pragma once
// The adaptive splay-tree prefix coder of compressed page data. Every byte value is a leaf of a
// binary tree; a byte is sent as its path from the root (0 left, 1 right), least significant bit
// of each coded byte first, and after each byte a semi-splay shortens the path to it. Encoder and
// decoder reshape identically, so no table is stored. The node numbering decides every code and
// must not change: files written by other programs depend on it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class TStream;

class TQRCompress {
public:
    // A coder over stream, compressing or expanding. An expanding coder reads no further than
    // limit (an absolute stream offset; -1 for no limit) and raises EReadError instead.
    TQRCompress(TStream& stream, bool compress, int64_t limit = -1);

    void EncodeByte(uint8_t value);
    // The next byte value (leaf 512, reachable only in damaged data, yields 0).
    uint8_t DecodeByte();
    // Whole blocks at once: the same codes, without a call per byte.
    void EncodeBytes(std::span<const uint8_t> values);
    void DecodeBytes(std::span<uint8_t> values);

    // Completes the block: a compressing coder writes its last, partly filled byte; an expanding
    // one leaves the stream just after the last coded byte it used. Call once, after the last byte.
    void Finish();

private:
    void ResetTree();
    void SemiSplay(int node);
    void SplayStep(int a, int aSide, int c, int cSide, int d);
    uint8_t ReadCodeByte();
    uint8_t RefillAndRead();
    void WriteCodeByte(uint8_t value);

    TStream& stream_;
    bool compress_;
    int64_t limit_;
    uint8_t bitIndex_;
    uint16_t inputByte_ = 0;
    uint16_t pendingByte_ = 0;
    // child_[n][0] is the left child of internal node n, child_[n][1] the right one, and side_[n]
    // says which of the two node n is: indexing by the code bit keeps the coding and splaying free
    // of unpredictable branches.
    uint16_t child_[256][2];
    uint8_t parent_[513];
    uint8_t side_[513];
    // Coded bytes pass through the stream in blocks rather than one call per byte; an expanding
    // coder gives back what it read ahead when it finishes.
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0;
};

// The coded block of a page's bytes, made by a fresh coder.
std::vector<uint8_t> CompressBlock(std::span<const uint8_t> plain);
