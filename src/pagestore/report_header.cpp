#include "pagestore/report_header.h"

#include "platform/stream.h"

#include <cstring>

void TQRReportHeader::Encode(uint8_t (&block)[kSize]) const
{
    std::memset(block, 0, kSize);
    WriteLE16(block + 0, formatWord1);
    WriteLE16(block + 2, formatWord2);
    WriteLE32(block + 8, uint32_t(pageCount));
    uint64_t bits;
    std::memcpy(&bits, &dateWritten, sizeof bits);
    WriteLE32(block + 12, uint32_t(bits));
    WriteLE32(block + 16, uint32_t(bits >> 32));
    block[21] = compressed ? 1 : 0;
}

TQRReportHeader TQRReportHeader::Decode(const uint8_t (&block)[kSize])
{
    TQRReportHeader h;
    h.formatWord1 = ReadLE16(block + 0);
    h.formatWord2 = ReadLE16(block + 2);
    h.pageCount = ReadLE32s(block + 8);
    const uint64_t bits = uint64_t(ReadLE32(block + 12)) | (uint64_t(ReadLE32(block + 16)) << 32);
    std::memcpy(&h.dateWritten, &bits, sizeof bits);
    h.compressed = block[21] != 0;
    return h;
}
