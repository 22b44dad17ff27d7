#pragma once
// The page list: the layout of a report file and of a recording's spool stream. A 124-byte header
// (format words, page count, date written, compression flag) is followed by one record per page:
// page number, forward link, page data (a metafile, or its length and its coded block), back link.
// Pages are appended at the end and fetched by walking the links from wherever the stream stands.
#include "platform/critical_section.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TMetafile;
class TQRBackgroundCoder;
class TQRStream;

class TQRPageList {
public:
    static constexpr int32_t kHeaderSize = 124;
    // Page number, forward link and back link around the page data.
    static constexpr int32_t kRecordOverhead = 12;

    TQRPageList();
    ~TQRPageList();
    TQRPageList(const TQRPageList&) = delete;
    TQRPageList& operator=(const TQRPageList&) = delete;

    // The stream that holds header and records. The list owns it; the document closes it through
    // CloseSpoolStream when it is done with the pages.
    TQRStream* SpoolStream() const { return spoolStream_.get(); }
    void SetSpoolStream(std::unique_ptr<TQRStream> stream);
    // Frees the stream; compressed pages still being coded for it are dropped.
    void CloseSpoolStream();

    bool Compression() const { return compression_; }
    void SetCompression(bool value) { compression_ = value; }
    int32_t PageTotal() const { return pageTotal_; }
    void ResetPageTotal();

    void Acquire() { lock_.Acquire(); }
    void Release() { lock_.Release(); }

    // Writes the header at offset 0 with the current page total and date; position left at 124.
    void StoreHeader();
    // Reads the page total and the compression flag from the header; position left at 124.
    void LoadHeader();
    // Replaces the stream by one over the named report file and reads its header.
    void OpenFile(const std::string& fileName);
    // Writes the whole stream, header and pages, as a new file. The file is written beside the
    // target and put in place when complete; a file that is open (the one the report was opened
    // from, for one) cannot be replaced: EFCreateError "Cannot create file %s".
    void CopyToFile(const std::string& fileName);

    void LocateFirstPage();
    void LocateLastPage();
    // Positions the stream at the start of record n (1 <= n <= PageTotal).
    void LocatePage(int32_t n);

    // Page n as a new metafile, or null when n is outside 1..PageTotal. Damage raises
    // EReportFileError (structure) or EInvalidGraphic (page data), naming the file and the page.
    std::unique_ptr<TMetafile> FetchPage(int32_t n);
    // Adds the metafile as page PageTotal + 1 (compressed when Compression is set). A compressed
    // page is coded in the background where that pays off; its record is in place before anything
    // reads the stream, and a failure to write it is raised by the next call that waits for it.
    void AppendPage(const TMetafile& metafile);

    // Walks every record from the first to the end of the stream, checking page numbers and
    // both links, and returns how many there are; EReportFileError at the first inconsistency.
    // (The header's page count may be smaller: a recording that was abandoned keeps count 1.)
    int32_t CheckRecords();

    // The report's name in messages: its file, or a description of a recording's stream.
    std::string DisplayName() const;

private:
    [[noreturn]] void Damaged(const std::string& problem) const;
    int32_t ReadInt32At(int32_t offset, int32_t n);
    void WriteHeader();
    void BeginRecord(int32_t page, int32_t& recordStart, int32_t& linkPosition);
    void EndRecord(int32_t recordStart, int32_t linkPosition);
    // Writes page's record at the end of the stream; a failed write leaves no partial record.
    template <typename WriteData>
    void WriteRecord(int32_t page, WriteData&& writeData);
    void WriteCodedRecord(int32_t page, int32_t plainLength, const std::vector<uint8_t>& coded);
    // Waits for the pages still being coded; a failure among them rolls the page total back.
    void Settle();
    void WaitForPage(int32_t n);
    void DropPending();
    std::unique_ptr<TMetafile> ReadPageData(int32_t n, int32_t dataStart, int32_t dataEnd);

    TCriticalSection lock_;
    std::unique_ptr<TQRStream> spoolStream_;
    bool compression_ = false;
    int32_t pageTotal_ = 0;
    // Declared after the stream, so that it stops before the stream goes.
    std::unique_ptr<TQRBackgroundCoder> background_;
};
