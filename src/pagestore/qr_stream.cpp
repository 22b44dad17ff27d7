#include "pagestore/qr_stream.h"

#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "platform/temp_file.h"

#include <cstdio>
#include <mutex>
#include <vector>

std::string NewSpillFileName()
{
    return CreateTempFile(TempDirectory(), "QRP");
}

TQRStream::TQRStream(int32_t spillLimit)
    : memory_(std::make_unique<TMemoryStream>()), spillLimit_(spillLimit)
{
}

TQRStream::TQRStream(const std::string& fileName)
    : file_(std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone)),
      fileName_(fileName)
{
}

TQRStream::~TQRStream()
{
    std::lock_guard guard(lock_);
    memory_.reset();
    file_.reset();
    if (!spillFileName_.empty())
        std::remove(spillFileName_.c_str());
}

int32_t TQRStream::Read(void* buffer, int32_t count)
{
    std::lock_guard guard(lock_);
    return memory_ ? memory_->Read(buffer, count) : file_->Read(buffer, count);
}

int32_t TQRStream::Write(const void* buffer, int32_t count)
{
    std::lock_guard guard(lock_);
    if (!memory_)
        return file_->Write(buffer, count);
    const int32_t written = memory_->Write(buffer, count);
    // Strictly greater: a stream exactly at the limit stays in memory.
    if (memory_->Size() > spillLimit_)
        Spill();
    return written;
}

int32_t TQRStream::Seek(int32_t offset, TSeekOrigin origin)
{
    std::lock_guard guard(lock_);
    return memory_ ? memory_->Seek(offset, origin) : file_->Seek(offset, origin);
}

void TQRStream::SetSize(int32_t newSize)
{
    std::lock_guard guard(lock_);
    if (memory_)
        memory_->SetSize(newSize);
    else
        file_->SetSize(newSize);
}

// Moves the bytes into a new temporary file. A write that grows the stream ends at its end, so
// the file's position after the copy is the logical position. On failure the bytes stay in memory
// and no temporary file is left behind.
void TQRStream::Spill()
{
    const std::string name = NewSpillFileName();
    try {
        auto file = std::make_unique<TFileStream>(name, fmCreate);
        const int32_t position = memory_->Position();
        file->WriteBuffer(memory_->Memory(), memory_->Size());
        file->SetPosition(position);
        file_ = std::move(file);
    } catch (...) {
        std::remove(name.c_str());
        throw;
    }
    spillFileName_ = name;
    memory_.reset();
}

void TQRStream::CopyTo(TStream& destination)
{
    std::lock_guard guard(lock_);
    SetPosition(0);
    std::vector<uint8_t> buffer(10240);
    for (;;) {
        const int32_t n = Read(buffer.data(), int32_t(buffer.size()));
        if (n == 0)
            break;
        destination.WriteBuffer(buffer.data(), n);
    }
}
