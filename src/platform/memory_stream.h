#pragma once
#include "platform/stream.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// A stream over a growable block of memory. Writing past the end grows it (a gap is zero-filled);
// growth beyond 2^31 - 1 bytes is refused.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, TSeekOrigin origin) override;
    void SetSize(int32_t newSize) override;

    void Clear();
    // Makes room for a size expected, so that writing up to it does not move the bytes.
    void Reserve(int32_t size) { bytes_.reserve(size_t(std::max(size, 0))); }
    const uint8_t* Memory() const { return bytes_.data(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes();

private:
    std::vector<uint8_t> bytes_;
    int32_t position_ = 0;
};

// Resolves a seek against a position and a size; raises EStreamError for a target before the
// start or beyond the largest signed 32-bit offset.
int32_t ResolveSeek(int64_t position, int64_t size, int32_t offset, TSeekOrigin origin);
