#pragma once
// An enhanced metafile held as its bytes. Loading validates the header and consumes exactly the
// length the header states; the size in screen pixels and in 0.01 mm comes from the frame.
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

class TStream;

// The fields of the EMF header that the program reads (the record is little-endian on disk).
struct TEmfHeader {
    int32_t boundsLeft = 0, boundsTop = 0, boundsRight = -1, boundsBottom = -1;  // device units
    int32_t frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;        // 0.01 mm
    uint32_t nBytes = 0;
    uint32_t nRecords = 0;
    uint16_t nHandles = 0;
    int32_t deviceCx = 0, deviceCy = 0;  // reference device in pixels
    int32_t mmCx = 0, mmCy = 0;          // reference device in millimetres
    int32_t umCx = 0, umCy = 0;          // reference device in micrometres, 0 when absent
};

class TMetafile {
public:
    static constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
    static constexpr uint32_t kMaxBytes = 512u * 1024 * 1024;

    TMetafile() { ++liveCount_; }
    TMetafile(const TMetafile& other)
        : bytes_(other.bytes_), header_(other.header_), mmWidth_(other.mmWidth_),
          mmHeight_(other.mmHeight_)
    {
        ++liveCount_;
    }
    TMetafile(TMetafile&& other) noexcept
        : bytes_(std::move(other.bytes_)), header_(other.header_), mmWidth_(other.mmWidth_),
          mmHeight_(other.mmHeight_)
    {
        ++liveCount_;
    }
    TMetafile& operator=(const TMetafile&) = default;
    TMetafile& operator=(TMetafile&&) noexcept = default;
    ~TMetafile() { --liveCount_; }

    // How many metafiles exist in the process: pages are meant to be held one at a time.
    static int LiveCount() { return liveCount_; }

    // Reads one metafile from the stream's position, consuming exactly its stated length.
    // EInvalidGraphic "Metafile is not valid" for a bad header or a stream that ends too soon.
    void LoadFromStream(TStream& stream);
    // Takes the bytes of a whole metafile; EInvalidGraphic as above.
    void LoadFromBytes(std::vector<uint8_t> bytes);
    // Writes the metafile's bytes; an empty metafile writes nothing.
    void SaveToStream(TStream& stream) const;

    bool Empty() const { return bytes_.empty(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::span<const uint8_t> Data() const { return bytes_; }
    const TEmfHeader& Header() const { return header_; }

    // Size in screen pixels at the screen's pixels per inch.
    int Width() const;
    int Height() const;
    // Size in 0.01 mm.
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }
    // The size a metafile canvas records at, in screen pixels.
    void SetWidth(int pixels);
    void SetHeight(int pixels);
    void SetMMWidth(int hundredthsOfMm) { mmWidth_ = hundredthsOfMm; }
    void SetMMHeight(int hundredthsOfMm) { mmHeight_ = hundredthsOfMm; }

    // Validates an EMF header at the start of data (at least the 88-byte base record) and
    // returns it; EInvalidGraphic with the reason otherwise. available is the number of bytes
    // that can follow, so that a stated length beyond it is refused before anything is allocated.
    static TEmfHeader ParseHeader(std::span<const uint8_t> data, uint64_t available);
    // How far the header's own fields reach (88, 100 or 108 bytes and up), given the header
    // record's first bytes and its size: a description or pixel format ends them.
    static size_t HeaderExtent(std::span<const uint8_t> header, size_t recordSize);

private:
    std::vector<uint8_t> bytes_;
    TEmfHeader header_;
    int mmWidth_ = 0;
    int mmHeight_ = 0;
    static inline std::atomic<int> liveCount_ {0};
};

// a * b / c rounded half away from zero, in 64 bits (the platform's MulDiv); c = 0 gives -1.
int MulDiv(int a, int b, int c);
