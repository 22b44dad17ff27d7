#pragma once
// Bounds-checked access to enhanced metafile records. Every read is checked against the record it
// belongs to; a read outside it yields zero and marks the record bad, so a handler reads all its
// fields and then acts only when Ok() still holds.
#include <QPointF>
#include <cstdint>
#include <span>
#include <vector>

class TEmfRecord {
public:
    static constexpr uint32_t kMinSize = 8;

    TEmfRecord() = default;
    // record: the whole record as stored (type, size, body); its size field is not trusted, the
    // span's length is.
    explicit TEmfRecord(std::span<const uint8_t> record);

    uint32_t Type() const { return type_; }
    // The record's length in bytes, including type and size.
    size_t Size() const { return data_.size(); }
    std::span<const uint8_t> Data() const { return data_; }
    bool Ok() const { return ok_; }
    // Marks the record bad (for handlers that find an impossible value).
    void Fail() { ok_ = false; }

    // Offsets are from the start of the record (the type field is at 0).
    bool Has(size_t offset, size_t length) const;
    uint8_t U8(size_t offset);
    uint16_t U16(size_t offset);
    int16_t I16(size_t offset) { return int16_t(U16(offset)); }
    uint32_t U32(size_t offset);
    int32_t I32(size_t offset) { return int32_t(U32(offset)); }
    float F32(size_t offset);
    // length bytes at offset, or an empty span (and the record marked bad) when they don't fit.
    std::span<const uint8_t> Bytes(size_t offset, size_t length);
    // Like Bytes, but an absent part (offset and length both 0) is empty without failing.
    std::span<const uint8_t> OptionalBytes(size_t offset, size_t length);

    // count points of 32-bit (POINTL) or 16-bit (POINTS) coordinates at offset, appended to out.
    // At most maxCount are accepted; more marks the record bad and appends nothing.
    bool Points(size_t offset, size_t count, bool small, std::vector<QPointF>& out,
                size_t maxCount = kMaxPoints);

    static constexpr size_t kMaxPoints = 4u * 1024 * 1024;

private:
    std::span<const uint8_t> data_;
    uint32_t type_ = 0;
    bool ok_ = false;
};

// Walks the records of a whole metafile. A record whose stated size is impossible (below the
// minimum or past the end of the data) ends the walk.
class TEmfRecordIterator {
public:
    explicit TEmfRecordIterator(std::span<const uint8_t> emf) : data_(emf) {}
    // The next record, or false at the end (or at a damaged record).
    bool Next(std::span<const uint8_t>& record);
    // True when the walk ended on damage rather than at the end of the data.
    bool Damaged() const { return damaged_; }

private:
    std::span<const uint8_t> data_;
    size_t offset_ = 0;
    bool damaged_ = false;
};
