#pragma once
// Shared by the canvas tests: walking the records of written metafiles and a canvas that keeps
// the records it is handed.
#include "graphics/canvas.h"
#include "platform/stream.h"

#include <cstdint>
#include <span>
#include <vector>

struct TRecordView {
    uint32_t type;
    std::span<const uint8_t> bytes;
    uint32_t Field(size_t offset) const { return ReadLE32(bytes.data() + offset); }
    int32_t SignedField(size_t offset) const { return ReadLE32s(bytes.data() + offset); }
};

// Every record of a metafile, in order; fails the test on a malformed record.
std::vector<TRecordView> RecordsOf(std::span<const uint8_t> emf);
// How many records of the type.
size_t CountOf(const std::vector<TRecordView>& records, uint32_t type);

// A canvas at 96 pixels per inch that keeps its records (one buffer, record after record).
class TRecordingCanvas : public TCanvas {
public:
    TRecordingCanvas() : TCanvas(96) {}
    std::vector<uint8_t> bytes;
    size_t count = 0;
    std::vector<TRecordView> Records() const { return RecordsOf(bytes); }
    using TCanvas::Handles;
    using TCanvas::ReleaseObjects;

protected:
    void WriteRecord(std::span<const uint8_t> record) override
    {
        bytes.insert(bytes.end(), record.begin(), record.end());
        ++count;
    }
};
