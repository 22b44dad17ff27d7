#include "platform/memory_stream.h"

#include "platform/errors.h"

#include <algorithm>
#include <cstring>

int32_t ResolveSeek(int64_t position, int64_t size, int32_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = position; break;
    case soEnd: base = size; break;
    default: throw EStreamError("Invalid seek origin");
    }
    const int64_t target = base + offset;
    if (target < 0)
        throw EStreamError("Seek before the start of the stream");
    if (target > INT32_MAX)
        throw EStreamError("Seek beyond the largest stream size (2147483647 bytes)");
    return int32_t(target);
}

int32_t TMemoryStream::Read(void* buffer, int32_t count)
{
    if (count <= 0 || size_t(position_) >= bytes_.size())
        return 0;
    const int32_t n = int32_t(std::min<size_t>(size_t(count), bytes_.size() - size_t(position_)));
    std::memcpy(buffer, bytes_.data() + position_, size_t(n));
    position_ += n;
    return n;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    const int64_t end = int64_t(position_) + count;
    if (end > INT32_MAX)
        throw EStreamError("Stream cannot grow beyond 2147483647 bytes");
    if (size_t(end) > bytes_.size()) {
        // Grow geometrically so that appending byte by byte stays linear.
        if (size_t(end) > bytes_.capacity())
            bytes_.reserve(std::max<size_t>(size_t(end), bytes_.capacity() + bytes_.capacity() / 2));
        bytes_.resize(size_t(end));
    }
    std::memcpy(bytes_.data() + position_, buffer, size_t(count));
    position_ = int32_t(end);
    return count;
}

int32_t TMemoryStream::Seek(int32_t offset, TSeekOrigin origin)
{
    position_ = ResolveSeek(position_, int64_t(bytes_.size()), offset, origin);
    return position_;
}

void TMemoryStream::SetSize(int32_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Invalid stream size");
    bytes_.resize(size_t(newSize));
    position_ = std::min(position_, newSize);
}

void TMemoryStream::Clear()
{
    bytes_.clear();
    bytes_.shrink_to_fit();
    position_ = 0;
}

std::vector<uint8_t> TMemoryStream::TakeBytes()
{
    std::vector<uint8_t> out = std::move(bytes_);
    bytes_.clear();
    position_ = 0;
    return out;
}
