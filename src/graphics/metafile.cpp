#include "graphics/metafile.h"

#include "platform/errors.h"
#include "platform/screen.h"
#include "platform/stream.h"

#include <algorithm>
#include <cstdlib>

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * b;
    const int64_t half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t q = (std::llabs(product) + half) / std::llabs(c);
    const int64_t result = negative ? -q : q;
    if (result > INT32_MAX || result < INT32_MIN)
        return -1;
    return int(result);
}

namespace {
constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kBaseHeaderSize = 88;
}

size_t TMetafile::HeaderExtent(std::span<const uint8_t> base, size_t recordSize)
{
    // The description and the pixel format follow the fixed fields; where they start, the
    // optional extensions (pixel format fields, then micrometres) have ended.
    size_t extent = recordSize;
    if (base.size() < kBaseHeaderSize)
        return kBaseHeaderSize;
    const uint8_t* p = base.data();
    const uint32_t descriptionLength = ReadLE32(p + 60), descriptionOffset = ReadLE32(p + 64);
    if (descriptionLength > 0 && descriptionOffset >= kBaseHeaderSize)
        extent = std::min<size_t>(extent, descriptionOffset);
    if (recordSize >= 100 && base.size() >= 100) {
        const uint32_t formatSize = ReadLE32(p + 88), formatOffset = ReadLE32(p + 92);
        if (formatSize > 0 && formatOffset >= kBaseHeaderSize)
            extent = std::min<size_t>(extent, formatOffset);
    }
    return extent;
}

TEmfHeader TMetafile::ParseHeader(std::span<const uint8_t> data, uint64_t available)
{
    if (data.size() < 8)
        throw EInvalidGraphic("the data ends before the header");
    const uint8_t* p = data.data();
    const uint32_t type = ReadLE32(p);
    const uint32_t size = ReadLE32(p + 4);
    if (type != kEmrHeader)
        throw EInvalidGraphic("the first record is not a header");
    if (size < kBaseHeaderSize || size % 4 != 0)
        throw EInvalidGraphic("the header record has an impossible size");
    if (data.size() < kBaseHeaderSize)
        throw EInvalidGraphic("the data ends inside the header");
    if (ReadLE32(p + 40) != kSignature)
        throw EInvalidGraphic("the header has no EMF signature");
    TEmfHeader h;
    h.boundsLeft = ReadLE32s(p + 8);
    h.boundsTop = ReadLE32s(p + 12);
    h.boundsRight = ReadLE32s(p + 16);
    h.boundsBottom = ReadLE32s(p + 20);
    h.frameLeft = ReadLE32s(p + 24);
    h.frameTop = ReadLE32s(p + 28);
    h.frameRight = ReadLE32s(p + 32);
    h.frameBottom = ReadLE32s(p + 36);
    h.nBytes = ReadLE32(p + 48);
    h.nRecords = ReadLE32(p + 52);
    h.nHandles = ReadLE16(p + 56);
    h.deviceCx = ReadLE32s(p + 72);
    h.deviceCy = ReadLE32s(p + 76);
    h.mmCx = ReadLE32s(p + 80);
    h.mmCy = ReadLE32s(p + 84);
    if (HeaderExtent(data.first(std::min<size_t>(data.size(), size)), size) >= 108 && data.size() >= 108) {
        h.umCx = ReadLE32s(p + 100);
        h.umCy = ReadLE32s(p + 104);
    }
    if (h.nBytes < size || h.nBytes % 4 != 0)
        throw EInvalidGraphic("the stated length is smaller than the header or not whole records");
    if (h.nBytes > kMaxBytes)
        throw EInvalidGraphic("the stated length is too large");
    if (h.nBytes > available)
        throw EInvalidGraphic("the stated length runs past the end of the data");
    return h;
}

void TMetafile::LoadFromStream(TStream& stream)
{
    const int64_t position = stream.Position();
    const int64_t available = int64_t(stream.Size()) - position;
    std::vector<uint8_t> bytes(kBaseHeaderSize);
    if (available < int64_t(kBaseHeaderSize) ||
        stream.Read(bytes.data(), int32_t(kBaseHeaderSize)) != int32_t(kBaseHeaderSize))
        throw EInvalidGraphic("the data ends inside the header");
    const TEmfHeader header = ParseHeader(bytes, uint64_t(available));
    bytes.resize(header.nBytes);
    const int32_t rest = int32_t(header.nBytes - kBaseHeaderSize);
    if (rest > 0 && stream.Read(bytes.data() + kBaseHeaderSize, rest) != rest)
        throw EInvalidGraphic("the data ends before the stated length");
    bytes_ = std::move(bytes);
    header_ = header;
    mmWidth_ = header.frameRight - header.frameLeft;
    mmHeight_ = header.frameBottom - header.frameTop;
}

void TMetafile::LoadFromBytes(std::vector<uint8_t> bytes)
{
    const TEmfHeader header = ParseHeader(bytes, bytes.size());
    bytes.resize(header.nBytes);
    bytes_ = std::move(bytes);
    header_ = header;
    mmWidth_ = header.frameRight - header.frameLeft;
    mmHeight_ = header.frameBottom - header.frameTop;
}

void TMetafile::SaveToStream(TStream& stream) const
{
    stream.WriteBuffer(bytes_);
}

int TMetafile::Width() const
{
    return MulDiv(mmWidth_, ScreenPixelsPerInch(), 2540);
}

int TMetafile::Height() const
{
    return MulDiv(mmHeight_, ScreenPixelsPerInch(), 2540);
}

void TMetafile::SetWidth(int pixels)
{
    mmWidth_ = MulDiv(pixels, 2540, ScreenPixelsPerInch());
}

void TMetafile::SetHeight(int pixels)
{
    mmHeight_ = MulDiv(pixels, 2540, ScreenPixelsPerInch());
}
