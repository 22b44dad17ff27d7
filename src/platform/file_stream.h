#pragma once
// A stream over a file with the platform's open and share modes. Share modes hold between every
// opener of this family, in this process or another, through open-file-description locks: an open
// whose access another opener denies, or that denies an access another opener holds, fails before
// anything is changed (a create is truncated only once its exclusive access is granted).
#include "platform/stream.h"

#include <cstdint>
#include <string>
#include <vector>

// Open modes: the low nibble is the access, the next one the sharing.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    // Create or empty the file, read and write access, exclusive unless a share mode is added.
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError "Cannot open file %s" or, for fmCreate, EFCreateError "Cannot create
    // file %s".
    TFileStream(const std::string& fileName, uint16_t mode);
    ~TFileStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, TSeekOrigin origin) override;
    void SetSize(int32_t newSize) override;

    const std::string& FileName() const { return fileName_; }
    // Writes buffered data and forces it to the disk; raises EWriteError when the system cannot.
    void Flush();

private:
    void FlushWrites();
    int64_t FileSize();

    std::string fileName_;
    int fd_ = -1;
    int lockFd_ = -1;
    int64_t position_ = 0;
    // Readers and writers of single bytes (the coder) go through these buffers, not the kernel.
    std::vector<uint8_t> readBuffer_;
    int64_t readStart_ = 0;
    std::vector<uint8_t> writeBuffer_;
    int64_t writeStart_ = 0;
};

// Whether another opener of this family holds fileName in a way that excludes an exclusive open.
bool FileIsOpenElsewhere(const std::string& fileName);
