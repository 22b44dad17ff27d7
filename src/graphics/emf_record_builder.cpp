#include "graphics/emf_record_builder.h"

#include <bit>
#include <cstring>

void TEmfRecordBuilder::PutFloat(float value)
{
    Put32(std::bit_cast<uint32_t>(value));
}

void TEmfRecordBuilder::PutBytes(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return;
    std::memcpy(PutSpace(bytes.size()), bytes.data(), bytes.size());
}

void TEmfRecordBuilder::Patch32(size_t offset, uint32_t value)
{
    uint8_t* p = buffer_.data() + offset;
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

std::span<const uint8_t> TEmfRecordBuilder::Finish()
{
    PadTo4();
    Patch32(4, uint32_t(buffer_.size()));
    return buffer_;
}

std::span<const uint8_t> TEmfRecordBuilder::Simple(uint32_t type, uint32_t value)
{
    Begin(type);
    Put32(value);
    return Finish();
}

std::span<const uint8_t> TEmfRecordBuilder::Simple(uint32_t type, int32_t a, int32_t b)
{
    Begin(type);
    PutS32(a);
    PutS32(b);
    return Finish();
}

std::span<const uint8_t> TEmfRecordBuilder::Header(const TEmfHeaderInfo& info)
{
    constexpr uint32_t kVersion = 0x00010000;
    constexpr uint32_t kSignature = 0x464D4520;
    const uint32_t descriptionChars = uint32_t(info.description.size());
    Begin(emf::EMR_HEADER);
    PutRect(info.bounds);
    PutRect(info.frame);
    Put32(kSignature);
    Put32(kVersion);
    Put32(info.nBytes);
    Put32(info.nRecords);
    Put16(info.nHandles);
    Put16(0);
    Put32(descriptionChars);
    Put32(descriptionChars ? kEmfHeaderSize : 0);
    Put32(0); // palette entries
    PutS32(info.deviceCx);
    PutS32(info.deviceCy);
    PutS32(info.mmCx);
    PutS32(info.mmCy);
    Put32(0); // pixel format size
    Put32(0); // pixel format offset
    Put32(0); // no OpenGL records
    PutS32(info.mmCx * 1000);
    PutS32(info.mmCy * 1000);
    for (char16_t c : info.description)
        Put16(uint16_t(c));
    return Finish();
}

std::span<const uint8_t> TEmfRecordBuilder::Eof()
{
    Begin(emf::EMR_EOF);
    Put32(0);  // palette entries
    Put32(16); // where they would start
    Put32(kEmfEofSize);
    return Finish();
}

TEmfReferenceDevice ReferenceDeviceAt(int pixelsPerInch)
{
    // pixelsPerInch * 5 pixels span exactly 127 mm; a screen of 508 x 381 mm.
    const int ppi = pixelsPerInch > 0 && pixelsPerInch <= 100000 ? pixelsPerInch : 96;
    return TEmfReferenceDevice { ppi * 20, ppi * 15, 508, 381 };
}
