#pragma once
// The 124-byte header of a report file. Only the page count and the compression flag are
// interpreted by readers; the format words and the date are written for the record.
#include <cstdint>

class TStream;

struct TQRReportHeader {
    static constexpr int32_t kSize = 124;
    static constexpr uint16_t kFormatWord1 = 3;
    static constexpr uint16_t kFormatWord2 = 305;

    uint16_t formatWord1 = kFormatWord1;
    uint16_t formatWord2 = kFormatWord2;
    int32_t pageCount = 0;
    double dateWritten = 0;  // days since 30 December 1899, local time
    bool compressed = false;

    void Encode(uint8_t (&block)[kSize]) const;
    static TQRReportHeader Decode(const uint8_t (&block)[kSize]);
};
