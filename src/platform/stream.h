#pragma once
// The stream family: byte streams with signed 32-bit positions, read, write and seek returning
// counts and positions, and the all-or-error buffer transfers on top.
#include <cstdint>
#include <span>
#include <string>

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Transfer up to count bytes; the result is the number transferred (0 at the end).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // The new position; offsets are relative to origin.
    virtual int32_t Seek(int32_t offset, TSeekOrigin origin) = 0;
    // Changes the size; streams that cannot raise EStreamError.
    virtual void SetSize(int32_t newSize);

    // Position and size are derived from Seek, as every stream derives them.
    int32_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int32_t position) { Seek(position, soBeginning); }
    int32_t Size();

    // Exactly count bytes or EReadError / EWriteError.
    void ReadBuffer(void* buffer, int32_t count);
    void WriteBuffer(const void* buffer, int32_t count);
    void WriteBuffer(std::span<const uint8_t> bytes);

    // Little-endian scalars; short transfers raise like ReadBuffer / WriteBuffer.
    uint8_t ReadUInt8();
    int32_t ReadInt32();
    void WriteUInt8(uint8_t value);
    void WriteInt32(int32_t value);
};

// Little-endian helpers over raw bytes, for formats that are read without padded structs.
inline uint16_t ReadLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t ReadLE32s(const uint8_t* p) { return int32_t(ReadLE32(p)); }
inline void WriteLE16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void WriteLE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
