#include "platform/stream.h"

#include "platform/errors.h"


void TStream::SetSize(int32_t)
{
    throw EStreamError("Stream size cannot be changed");
}

int32_t TStream::Size()
{
    const int32_t position = Seek(0, soCurrent);
    const int32_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count)
{
    if (count < 0 || (count != 0 && Read(buffer, count) != count))
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int32_t count)
{
    if (count < 0 || (count != 0 && Write(buffer, count) != count))
        throw EWriteError();
}

void TStream::WriteBuffer(std::span<const uint8_t> bytes)
{
    if (bytes.size() > size_t(INT32_MAX))
        throw EWriteError();
    WriteBuffer(bytes.data(), int32_t(bytes.size()));
}

uint8_t TStream::ReadUInt8()
{
    uint8_t b;
    ReadBuffer(&b, 1);
    return b;
}

int32_t TStream::ReadInt32()
{
    uint8_t b[4];
    ReadBuffer(b, 4);
    return ReadLE32s(b);
}

void TStream::WriteUInt8(uint8_t value)
{
    WriteBuffer(&value, 1);
}

void TStream::WriteInt32(int32_t value)
{
    uint8_t b[4];
    WriteLE32(b, uint32_t(value));
    WriteBuffer(b, 4);
}
