#include "graphics/metafile_canvas.h"

#include "graphics/metafile.h"
#include "platform/screen.h"

#include <cstring>

namespace {
// Room kept for the end record and the header with its description.
uint64_t Reserve(const std::u16string& description)
{
    return kEmfHeaderSize + (description.size() * 2 + 3) / 4 * 4 + kEmfEofSize;
}
} // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile) : TMetafileCanvas(metafile, {}, {}) {}

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, const QString& createdBy,
                                 const QString& description)
    : TCanvas(ScreenPixelsPerInch()), metafile_(metafile), mmWidth_(metafile.MMWidth()),
      mmHeight_(metafile.MMHeight())
{
    if (!createdBy.isEmpty() || !description.isEmpty()) {
        description_ = createdBy.toStdU16String();
        description_ += u'\0';
        description_ += description.toStdU16String();
        description_ += u'\0';
        description_ += u'\0';
    }
    records_.reserve(64 * 1024);
}

TMetafileCanvas::~TMetafileCanvas()
{
    try {
        Finish();
    } catch (...) {
        // A destructor must not throw; the metafile keeps what it held before.
    }
}

uint64_t TMetafileCanvas::RecordRoom() const
{
    const uint64_t used = records_.size() + Reserve(description_);
    return finished_ || used >= TMetafile::kMaxBytes ? 0 : TMetafile::kMaxBytes - used;
}

void TMetafileCanvas::WriteRecord(std::span<const uint8_t> record)
{
    if (finished_)
        return;
    if (record.size() > RecordRoom()) {
        truncated_ = true;
        return;
    }
    const size_t at = records_.size();
    records_.resize(at + record.size());
    std::memcpy(records_.data() + at, record.data(), record.size());
    ++recordCount_;
}

void TMetafileCanvas::Finish()
{
    if (finished_)
        return;
    ReleaseObjects();
    const int ppi = PixelsPerInch();
    const TEmfReferenceDevice device = ReferenceDeviceAt(ppi);
    const std::optional<TRect> drawn = DrawnBounds();

    TEmfHeaderInfo info;
    if (drawn)
        info.bounds = *drawn;
    if (mmWidth_ > 0 && mmHeight_ > 0) {
        info.frame = TRect { 0, 0, mmWidth_, mmHeight_ };
    } else if (drawn) {
        // The drawn area's pixels, edges included, in 0.01 mm.
        info.frame =
            TRect { MulDiv(drawn->Left, 2540, ppi), MulDiv(drawn->Top, 2540, ppi),
                    MulDiv(drawn->Right + 1, 2540, ppi), MulDiv(drawn->Bottom + 1, 2540, ppi) };
    }
    info.deviceCx = device.deviceCx;
    info.deviceCy = device.deviceCy;
    info.mmCx = device.mmCx;
    info.mmCy = device.mmCy;
    info.description = description_;
    info.nHandles = Handles().HandleCount();
    info.nRecords = recordCount_ + 2;
    const size_t headerSize = Builder().Header(info).size();
    info.nBytes = uint32_t(headerSize + records_.size() + kEmfEofSize);

    std::vector<uint8_t> bytes;
    bytes.reserve(info.nBytes);
    const auto header = Builder().Header(info);
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), records_.begin(), records_.end());
    const auto eof = Builder().Eof();
    bytes.insert(bytes.end(), eof.begin(), eof.end());
    finished_ = true;
    records_ = {};
    metafile_.LoadFromBytes(std::move(bytes));
}
