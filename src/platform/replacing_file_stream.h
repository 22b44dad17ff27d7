#pragma once
// Writes a file under a temporary name beside it and puts it in place only when Commit is called,
// so that a failed or abandoned write never leaves a half-written file where an old one stood.
#include "platform/file_stream.h"

#include <memory>
#include <string>

class TReplacingFileStream : public TStream {
public:
    // Raises EFCreateError "Cannot create file %s" when the file is open elsewhere (the exclusive
    // create of the platform fails there too) or when no file can be made beside it.
    explicit TReplacingFileStream(const std::string& fileName);
    // Without Commit the temporary file is removed and an existing file stays as it was.
    ~TReplacingFileStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, TSeekOrigin origin) override;
    void SetSize(int32_t newSize) override;

    // Flushes the data to the disk and renames the temporary file over the target; raises
    // EWriteError or EFCreateError, leaving the target untouched, when that fails.
    void Commit();

private:
    std::string fileName_;
    std::string tempName_;
    std::unique_ptr<TFileStream> target_;  // held open exclusively while the copy is written
    std::unique_ptr<TFileStream> temp_;
    bool committed_ = false;
};
