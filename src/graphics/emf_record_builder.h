#pragma once
// Writing side of the EMF format: the record types and stock objects the writer uses, and a
// builder that assembles one record at a time in a buffer it keeps, so that recording a page does
// not allocate once the buffer has grown to the largest record.
#include "graphics/geometry.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

enum TEmfRecordType : uint32_t {
    emrHeader = 1,
    emrPolyBezier = 2,
    emrPolygon = 3,
    emrPolyline = 4,
    emrSetWindowExtEx = 9,
    emrSetWindowOrgEx = 10,
    emrSetViewportExtEx = 11,
    emrSetViewportOrgEx = 12,
    emrEof = 14,
    emrSetMapMode = 17,
    emrSetBkMode = 18,
    emrSetStretchBltMode = 21,
    emrSetTextAlign = 22,
    emrSetTextColor = 24,
    emrSetBkColor = 25,
    emrMoveToEx = 27,
    emrScaleViewportExtEx = 31,
    emrScaleWindowExtEx = 32,
    emrSaveDC = 33,
    emrRestoreDC = 34,
    emrSelectObject = 37,
    emrCreatePen = 38,
    emrCreateBrushIndirect = 39,
    emrDeleteObject = 40,
    emrEllipse = 42,
    emrRectangle = 43,
    emrRoundRect = 44,
    emrArc = 45,
    emrChord = 46,
    emrPie = 47,
    emrSelectPalette = 48,
    emrCreatePalette = 49,
    emrSetPaletteEntries = 50,
    emrResizePalette = 51,
    emrLineTo = 54,
    emrGdiComment = 70,
    emrFillRgn = 71,
    emrFrameRgn = 72,
    emrExtSelectClipRgn = 75,
    emrBitBlt = 76,
    emrStretchDIBits = 81,
    emrExtCreateFontIndirectW = 82,
    emrExtTextOutW = 84,
    emrPolyBezier16 = 85,
    emrPolygon16 = 86,
    emrPolyline16 = 87,
    emrCreateMonoBrush = 93,
    emrCreateDibPatternBrushPt = 94,
    emrExtCreatePen = 95,
    emrCreateColorSpace = 99,
    emrSetColorSpace = 100,
    emrDeleteColorSpace = 101,
    emrAlphaBlend = 114,
    emrCreateColorSpaceW = 122,
};

// Stock objects are selected by index with the high bit set.
enum TEmfStockObject : uint32_t {
    stockWhiteBrush = 0x80000000,
    stockNullBrush = 0x80000005,
    stockBlackPen = 0x80000007,
    stockNullPen = 0x80000008,
    stockSystemFont = 0x8000000D,
};

constexpr uint32_t kEmfHeaderSize = 108; // with the micrometre size, without a description
constexpr uint32_t kEmfEofSize = 20;
constexpr uint32_t kRopSrcCopy = 0x00CC0020;
constexpr uint32_t kRopPatCopy = 0x00F00021;

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
