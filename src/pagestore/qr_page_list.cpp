#include "pagestore/qr_page_list.h"

#include "graphics/metafile.h"
#include "pagestore/qr_background_coder.h"
#include "pagestore/qr_compress.h"
#include "pagestore/qr_stream.h"
#include "pagestore/report_file_error.h"
#include "pagestore/report_header.h"
#include "platform/ole_date.h"
#include "platform/replacing_file_stream.h"

#include <algorithm>
#include <mutex>
#include <vector>

TQRPageList::TQRPageList() = default;

TQRPageList::~TQRPageList()
{
    background_.reset();
}

void TQRPageList::SetSpoolStream(std::unique_ptr<TQRStream> stream)
{
    DropPending();
    spoolStream_ = std::move(stream);
}

void TQRPageList::CloseSpoolStream()
{
    DropPending();
    spoolStream_.reset();
}

void TQRPageList::ResetPageTotal()
{
    DropPending();
    pageTotal_ = 0;
}

void TQRPageList::Settle()
{
    if (!background_)
        return;
    try {
        background_->Drain();
    } catch (...) {
        pageTotal_ = background_->LastWritten();
        throw;
    }
}

void TQRPageList::WaitForPage(int32_t n)
{
    if (!background_)
        return;
    try {
        background_->WaitFor(n);
    } catch (...) {
        pageTotal_ = background_->LastWritten();
        throw;
    }
}

void TQRPageList::DropPending()
{
    if (background_) {
        background_->Discard();
        pageTotal_ = std::min(pageTotal_, background_->LastWritten());
        background_.reset();
    }
}

std::string TQRPageList::DisplayName() const
{
    if (spoolStream_ && !spoolStream_->FileName().empty())
        return spoolStream_->FileName();
    return "(report being recorded)";
}

void TQRPageList::Damaged(const std::string& problem) const
{
    throw EReportFileError(DisplayName(), problem);
}

void TQRPageList::StoreHeader()
{
    Settle();
    WriteHeader();
}

void TQRPageList::WriteHeader()
{
    TQRReportHeader header;
    header.pageCount = pageTotal_;
    header.dateWritten = OleDateNow();
    header.compressed = compression_;
    uint8_t block[TQRReportHeader::kSize];
    header.Encode(block);
    spoolStream_->SetPosition(0);
    spoolStream_->WriteBuffer(block, TQRReportHeader::kSize);
}

void TQRPageList::LoadHeader()
{
    spoolStream_->SetPosition(0);
    uint8_t block[TQRReportHeader::kSize];
    if (spoolStream_->Read(block, TQRReportHeader::kSize) != TQRReportHeader::kSize)
        Damaged("it is shorter than its 124-byte header");
    const TQRReportHeader header = TQRReportHeader::Decode(block);
    if (header.pageCount < 0)
        Damaged("the header holds a negative page count");
    pageTotal_ = header.pageCount;
    compression_ = header.compressed;
}

void TQRPageList::OpenFile(const std::string& fileName)
{
    CloseSpoolStream();
    spoolStream_ = std::make_unique<TQRStream>(fileName);
    LoadHeader();
}

void TQRPageList::CopyToFile(const std::string& fileName)
{
    Settle();
    TReplacingFileStream file(fileName);
    if (spoolStream_) {
        spoolStream_->CopyTo(file);
    } else {
        // A document that never held a stream saves as a report without pages.
        TQRReportHeader header;
        header.dateWritten = OleDateNow();
        header.compressed = compression_;
        uint8_t block[TQRReportHeader::kSize];
        header.Encode(block);
        file.WriteBuffer(block, TQRReportHeader::kSize);
    }
    file.Commit();
}

int32_t TQRPageList::ReadInt32At(int32_t offset, int32_t n)
{
    if (offset < kHeaderSize || int64_t(offset) + 4 > spoolStream_->Size())
        Damaged("page " + std::to_string(n) + ": a link points outside the file");
    spoolStream_->SetPosition(offset);
    return spoolStream_->ReadInt32();
}

void TQRPageList::LocateFirstPage()
{
    spoolStream_->SetPosition(kHeaderSize);
}

void TQRPageList::LocateLastPage()
{
    const int32_t size = spoolStream_->Size();
    const int32_t last = ReadInt32At(size - 4, pageTotal_);
    if (last < kHeaderSize || int64_t(last) + kRecordOverhead > size)
        Damaged("the link to the last record points outside the file");
    spoolStream_->SetPosition(last);
}

// Walks from the record where the stream stands. Every step must move strictly towards the file's
// start (back links) or end (forward links), so a damaged chain ends in an error, never a loop.
void TQRPageList::LocatePage(int32_t n)
{
    TQRStream& stream = *spoolStream_;
    if (n == 1) {
        LocateFirstPage();
        return;
    }
    if (n == pageTotal_) {
        LocateLastPage();
        return;
    }
    const int32_t size = stream.Size();
    int32_t record = stream.Position();
    if (record == size) {
        LocateLastPage();
        record = stream.Position();
    } else if (record < kHeaderSize || int64_t(record) + kRecordOverhead > size) {
        record = kHeaderSize;  // not at a record after a failed fetch: start from the first one
    }
    const std::string page = "page " + std::to_string(n);
    int32_t number = ReadInt32At(record, n);
    if (n > number) {
        while (number != n) {
            const int32_t next = ReadInt32At(record + 4, n);
            if (next == size)
                Damaged(page + " is missing: the records end at page " + std::to_string(number));
            if (next < record + kRecordOverhead || int64_t(next) + kRecordOverhead > size)
                Damaged(page + ": the forward link of the record at offset " +
                        std::to_string(record) + " points outside the file or backwards");
            record = next;
            number = ReadInt32At(record, n);
        }
    } else {
        while (number != n) {
            if (record - kRecordOverhead < kHeaderSize)
                Damaged(page + " is missing: the records begin at page " + std::to_string(number));
            const int32_t previous = ReadInt32At(record - 4, n);
            if (previous < kHeaderSize || previous > record - kRecordOverhead)
                Damaged(page + ": the back link before offset " + std::to_string(record) +
                        " points outside the file or forwards");
            record = previous;
            number = ReadInt32At(record, n);
        }
    }
    stream.SetPosition(record);
}

std::unique_ptr<TMetafile> TQRPageList::ReadPageData(int32_t n, int32_t dataStart, int32_t dataEnd)
{
    TQRStream& stream = *spoolStream_;
    const std::string page = "page " + std::to_string(n);
    auto metafile = std::make_unique<TMetafile>();
    std::vector<uint8_t> bytes;
    stream.SetPosition(dataStart);
    const int32_t length = dataEnd - dataStart;
    if (!compression_) {
        if (uint32_t(length) > TMetafile::kMaxBytes)
            Damaged(page + ": the record is larger than any page can be");
        bytes.resize(size_t(length));
        stream.ReadBuffer(bytes.data(), length);
    } else {
        if (length < 4)
            Damaged(page + ": the record is too short to hold its length");
        const int32_t count = stream.ReadInt32();
        // Every byte takes at least one code bit, which bounds what a block can expand to.
        if (count < 0 || uint32_t(count) > TMetafile::kMaxBytes ||
            int64_t(count) > int64_t(length - 4) * 8)
            Damaged(page + ": the length of its coded data is impossible (" +
                    std::to_string(count) + " bytes)");
        bytes.resize(size_t(count));
        TQRCompress coder(stream, false, dataEnd);
        try {
            coder.DecodeBytes(bytes);
        } catch (const EReadError&) {
            Damaged(page + ": its coded data is cut off");
        }
        coder.Finish();
    }
    try {
        metafile->LoadFromBytes(std::move(bytes));
    } catch (const EInvalidGraphic& e) {
        throw EInvalidGraphic(page + " of " + DisplayName() + ": " + e.Detail());
    }
    return metafile;
}

std::unique_ptr<TMetafile> TQRPageList::FetchPage(int32_t n)
{
    if (n > pageTotal_ || n < 1 || !spoolStream_)
        return nullptr;
    WaitForPage(n);  // not under the lock: the coder needs it to write the page
    if (n > pageTotal_)
        return nullptr;
    std::lock_guard guard(lock_);
    TQRStream& stream = *spoolStream_;
    try {
        LocatePage(n);
        const int32_t record = stream.Position();
        const int32_t size = stream.Size();
        if (int64_t(record) + kRecordOverhead > size)
            Damaged("page " + std::to_string(n) + ": the record is cut off");
        const int32_t number = stream.ReadInt32();
        if (number != n)
            Damaged("the record at offset " + std::to_string(record) + " holds page " +
                    std::to_string(number) + ", not page " + std::to_string(n));
        const int32_t next = stream.ReadInt32();
        if (next < record + kRecordOverhead || next > size)
            Damaged("page " + std::to_string(n) + ": its forward link points outside the file");
        auto metafile = ReadPageData(n, record + 8, next - 4);
        // The next record starts where the forward link says, whatever the page data claimed.
        stream.SetPosition(next);
        return metafile;
    } catch (...) {
        stream.SetPosition(kHeaderSize);
        throw;
    }
}

int32_t TQRPageList::CheckRecords()
{
    Settle();
    std::lock_guard guard(lock_);
    TQRStream& stream = *spoolStream_;
    const int32_t size = stream.Size();
    int32_t record = kHeaderSize;
    int32_t count = 0;
    while (record < size) {
        const int32_t n = count + 1;
        const std::string page = "page " + std::to_string(n);
        if (int64_t(record) + kRecordOverhead > size)
            Damaged(page + ": the record is cut off");
        const int32_t number = ReadInt32At(record, n);
        if (number != n)
            Damaged("the record at offset " + std::to_string(record) + " holds page " +
                    std::to_string(number) + ", not page " + std::to_string(n));
        const int32_t next = ReadInt32At(record + 4, n);
        if (next < record + kRecordOverhead || next > size)
            Damaged(page + ": its forward link points outside the file or backwards");
        if (ReadInt32At(next - 4, n) != record)
            Damaged(page + ": its back link does not point to its record");
        record = next;
        count = n;
    }
    if (count < pageTotal_)
        Damaged("the header counts " + std::to_string(pageTotal_) + " pages but only " +
                std::to_string(count) + " records are present");
    stream.SetPosition(kHeaderSize);
    return count;
}

void TQRPageList::BeginRecord(int32_t page, int32_t& recordStart, int32_t& linkPosition)
{
    TQRStream& stream = *spoolStream_;
    recordStart = stream.Seek(0, soEnd);
    stream.WriteInt32(page);
    linkPosition = stream.Position();
    stream.WriteInt32(linkPosition);
}

void TQRPageList::EndRecord(int32_t recordStart, int32_t linkPosition)
{
    TQRStream& stream = *spoolStream_;
    stream.WriteInt32(recordStart);
    const int32_t end = stream.Position();
    stream.SetPosition(linkPosition);
    stream.WriteInt32(end);
    stream.SetPosition(end);
}

template <typename WriteData>
void TQRPageList::WriteRecord(int32_t page, WriteData&& writeData)
{
    std::lock_guard guard(lock_);
    TQRStream& stream = *spoolStream_;
    int32_t recordStart = -1;
    try {
        int32_t linkPosition = 0;
        BeginRecord(page, recordStart, linkPosition);
        writeData(stream);
        EndRecord(recordStart, linkPosition);
    } catch (...) {
        // A failed append leaves no partial record: later appends and fetches still find a chain.
        try {
            if (recordStart >= 0)
                stream.SetSize(recordStart);
            stream.Seek(0, soEnd);
        } catch (...) {
        }
        throw;
    }
}

void TQRPageList::WriteCodedRecord(int32_t page, int32_t plainLength,
                                   const std::vector<uint8_t>& coded)
{
    WriteRecord(page, [&](TQRStream& stream) {
        stream.WriteInt32(plainLength);
        stream.WriteBuffer(coded);
    });
}

void TQRPageList::AppendPage(const TMetafile& metafile)
{
    if (!spoolStream_)
        throw EStreamError("The report has no spool stream to append pages to");
    const bool background = compression_ && TQRBackgroundCoder::Worthwhile();
    if (!background)
        Settle();  // pages coded in the background come first
    int32_t page;
    {
        std::lock_guard guard(lock_);
        page = ++pageTotal_;
        if (page == 1) {
            try {
                WriteHeader();  // a new stream gets its header before its first record
            } catch (...) {
                --pageTotal_;
                throw;
            }
        }
    }
    try {
        if (background) {
            if (!background_)
                background_ = std::make_unique<TQRBackgroundCoder>(
                    [this](int32_t n, int32_t length, const std::vector<uint8_t>& coded) {
                        WriteCodedRecord(n, length, coded);
                    });
            background_->Submit(page, metafile.Bytes());
        } else if (compression_) {
            WriteCodedRecord(page, int32_t(metafile.Bytes().size()), CompressBlock(metafile.Bytes()));
        } else {
            WriteRecord(page, [&](TQRStream& stream) { metafile.SaveToStream(stream); });
        }
    } catch (...) {
        pageTotal_ = background ? background_->LastWritten() : page - 1;
        throw;
    }
}
