#pragma once
// The spooling stream of a report: memory-backed until it grows past its spill limit, then moved
// into a temporary file; or file-backed over an opened report file. Every read, write, seek and
// copy takes its re-entrant lock.
#include "platform/critical_section.h"
#include "platform/stream.h"

#include <memory>
#include <string>

class TFileStream;
class TMemoryStream;

class TQRStream : public TStream {
public:
    // Memory-backed; moves to a temporary file once its size exceeds spillLimit bytes.
    explicit TQRStream(int32_t spillLimit);
    // File-backed over an existing file, read-only, sharing reading and writing with other
    // openers; EFOpenError "Cannot open file %s" when it cannot be opened.
    explicit TQRStream(const std::string& fileName);
    // Deletes the temporary file of a spilled stream; never the file of an opened report.
    ~TQRStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, TSeekOrigin origin) override;
    // Cuts the stream back, so that a page whose append failed leaves no partial record behind.
    void SetSize(int32_t newSize) override;

    void Acquire() { lock_.Acquire(); }
    void Release() { lock_.Release(); }
    // Copies every byte from offset 0 into destination; the position is left at the end.
    // Raises EWriteError when the destination takes fewer bytes than were read.
    void CopyTo(TStream& destination);

    bool MemoryBacked() const { return memory_ != nullptr; }
    int32_t SpillLimit() const { return spillLimit_; }
    const std::string& SpillFileName() const { return spillFileName_; }
    // The report file the stream was opened over; empty for a recording's stream.
    const std::string& FileName() const { return fileName_; }

private:
    void Spill();

    TCriticalSection lock_;
    std::unique_ptr<TMemoryStream> memory_;
    std::unique_ptr<TFileStream> file_;
    std::string spillFileName_;
    std::string fileName_;
    int32_t spillLimit_ = 0;
};

// The name of a new, empty, unique temporary file whose name begins with "QRP".
std::string NewSpillFileName();
