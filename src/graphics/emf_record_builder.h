#pragma once
// Writing side of the EMF format: a builder that assembles one record at a time in a buffer it
// keeps, so that recording a page does not allocate once the buffer has grown to the largest
// record.
#include "graphics/emf_records.h"
#include "graphics/geometry.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// A stock object as object records name it.
constexpr uint32_t Stock(emf::StockObjectNumber object)
{
    return emf::kStockObjectFlag | object;
}

constexpr uint32_t kEmfHeaderSize = 108; // with the micrometre size, without a description
constexpr uint32_t kEmfEofSize = 20;

// Header fields as the writer fills them in.
struct TEmfHeaderInfo {
    TRect bounds { 0, 0, -1, -1 }; // inclusive device units; an empty picture has right < left
    TRect frame;                   // 0.01 mm
    uint32_t nBytes = 0;
    uint32_t nRecords = 0;
    uint16_t nHandles = 1;
    int32_t deviceCx = 0, deviceCy = 0;
    int32_t mmCx = 0, mmCy = 0;
    std::u16string_view description; // written as given, terminating nulls included
};

class TEmfRecordBuilder {
public:
    TEmfRecordBuilder() { buffer_.reserve(256); }

    // Starts a record; the size is filled in by Finish.
    void Begin(uint32_t type)
    {
        buffer_.clear();
        Put32(type);
        Put32(0);
    }
    void Put32(uint32_t value)
    {
        const size_t at = Grow(4);
        uint8_t* p = buffer_.data() + at;
        p[0] = uint8_t(value);
        p[1] = uint8_t(value >> 8);
        p[2] = uint8_t(value >> 16);
        p[3] = uint8_t(value >> 24);
    }
    void PutS32(int32_t value) { Put32(uint32_t(value)); }
    void Put16(uint16_t value)
    {
        const size_t at = Grow(2);
        buffer_[at] = uint8_t(value);
        buffer_[at + 1] = uint8_t(value >> 8);
    }
    void Put8(uint8_t value) { buffer_.push_back(value); }
    void PutFloat(float value);
    void PutRect(const TRect& r)
    {
        PutS32(r.Left);
        PutS32(r.Top);
        PutS32(r.Right);
        PutS32(r.Bottom);
    }
    void PutPoint(TPoint p)
    {
        PutS32(p.X);
        PutS32(p.Y);
    }
    void PutBytes(std::span<const uint8_t> bytes);
    // Makes room for count bytes and returns where they start.
    uint8_t* PutSpace(size_t count)
    {
        const size_t at = Grow(count);
        return buffer_.data() + at;
    }
    void PadTo4()
    {
        while (buffer_.size() % 4 != 0)
            buffer_.push_back(0);
    }
    size_t Size() const { return buffer_.size(); }
    void Patch32(size_t offset, uint32_t value);

    // Pads the record to whole 32-bit words, writes its size and returns it.
    std::span<const uint8_t> Finish();

    // Whole records of the common shapes.
    std::span<const uint8_t> Simple(uint32_t type, uint32_t value);
    std::span<const uint8_t> Simple(uint32_t type, int32_t a, int32_t b);
    std::span<const uint8_t> Header(const TEmfHeaderInfo& info);
    std::span<const uint8_t> Eof();

private:
    size_t Grow(size_t count)
    {
        const size_t at = buffer_.size();
        buffer_.resize(at + count);
        return at;
    }

    std::vector<uint8_t> buffer_;
};

// A nominal reference device at the given pixels per inch, whose pixel and millimetre sizes
// have exactly that ratio so that readers mapping the frame through them lose nothing.
struct TEmfReferenceDevice {
    int32_t deviceCx, deviceCy, mmCx, mmCy;
};
TEmfReferenceDevice ReferenceDeviceAt(int pixelsPerInch);
