#include "graphics/emf_reader.h"

#include "platform/stream.h"

#include <cstring>

TEmfRecord::TEmfRecord(std::span<const uint8_t> record) : data_(record)
{
    ok_ = record.size() >= kMinSize;
    if (ok_)
        type_ = ReadLE32(record.data());
}

bool TEmfRecord::Has(size_t offset, size_t length) const
{
    return offset <= data_.size() && length <= data_.size() - offset;
}

uint8_t TEmfRecord::U8(size_t offset)
{
    if (!Has(offset, 1)) {
        ok_ = false;
        return 0;
    }
    return data_[offset];
}

uint16_t TEmfRecord::U16(size_t offset)
{
    if (!Has(offset, 2)) {
        ok_ = false;
        return 0;
    }
    return ReadLE16(data_.data() + offset);
}

uint32_t TEmfRecord::U32(size_t offset)
{
    if (!Has(offset, 4)) {
        ok_ = false;
        return 0;
    }
    return ReadLE32(data_.data() + offset);
}

float TEmfRecord::F32(size_t offset)
{
    const uint32_t bits = U32(offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::span<const uint8_t> TEmfRecord::Bytes(size_t offset, size_t length)
{
    if (!Has(offset, length)) {
        ok_ = false;
        return {};
    }
    return data_.subspan(offset, length);
}

std::span<const uint8_t> TEmfRecord::OptionalBytes(size_t offset, size_t length)
{
    if (length == 0)
        return {};
    return Bytes(offset, length);
}

bool TEmfRecord::Points(size_t offset, size_t count, bool small, std::vector<QPointF>& out,
                        size_t maxCount)
{
    const size_t each = small ? 4 : 8;
    if (count > maxCount || !Has(offset, count * each)) {
        ok_ = false;
        return false;
    }
    const uint8_t* p = data_.data() + offset;
    out.reserve(out.size() + count);
    if (small) {
        for (size_t i = 0; i < count; ++i, p += 4)
            out.emplace_back(int16_t(ReadLE16(p)), int16_t(ReadLE16(p + 2)));
    } else {
        for (size_t i = 0; i < count; ++i, p += 8)
            out.emplace_back(ReadLE32s(p), ReadLE32s(p + 4));
    }
    return true;
}

bool TEmfRecordIterator::Next(std::span<const uint8_t>& record)
{
    if (damaged_ || offset_ >= data_.size())
        return false;
    const size_t left = data_.size() - offset_;
    if (left < TEmfRecord::kMinSize) {
        damaged_ = true;
        return false;
    }
    const uint32_t size = ReadLE32(data_.data() + offset_ + 4);
    if (size < TEmfRecord::kMinSize || size > left) {
        damaged_ = true;
        return false;
    }
    record = data_.subspan(offset_, size);
    offset_ += size;
    return true;
}
