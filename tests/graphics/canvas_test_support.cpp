#include "canvas_test_support.h"

#include <gtest/gtest.h>

std::vector<TRecordView> RecordsOf(std::span<const uint8_t> emf)
{
    std::vector<TRecordView> records;
    size_t offset = 0;
    while (emf.size() - offset >= 8) {
        const uint32_t type = ReadLE32(emf.data() + offset);
        const uint32_t size = ReadLE32(emf.data() + offset + 4);
        EXPECT_TRUE(size >= 8 && size % 4 == 0 && size <= emf.size() - offset)
            << "record " << records.size() << " of type " << type << " has size " << size;
        if (size < 8 || size % 4 != 0 || size > emf.size() - offset)
            break;
        records.push_back(TRecordView { type, emf.subspan(offset, size) });
        offset += size;
    }
    EXPECT_EQ(offset, emf.size()) << "bytes after the last whole record";
    return records;
}

size_t CountOf(const std::vector<TRecordView>& records, uint32_t type)
{
    size_t n = 0;
    for (const auto& r : records)
        n += r.type == type;
    return n;
}
