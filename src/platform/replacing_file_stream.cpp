#include "platform/replacing_file_stream.h"

#include "platform/errors.h"
#include "platform/temp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {
std::string DirectoryOf(const std::string& fileName)
{
    const auto slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

std::string BaseNameOf(const std::string& fileName)
{
    const auto slash = fileName.rfind('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}
} // namespace

TReplacingFileStream::TReplacingFileStream(const std::string& fileName) : fileName_(fileName)
{
    struct stat st {};
    const bool exists = stat(fileName.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        throw EFCreateError(fileName, "is a directory");
    if (exists) {
        try {
            target_ = std::make_unique<TFileStream>(fileName, fmOpenReadWrite | fmShareExclusive);
        } catch (const EFOpenError& e) {
            // The platform's own message for a file that cannot be replaced, with the reason.
            const std::string reason = e.what();
            const auto colon = reason.find(": ", FormatMessage("Cannot open file %s", fileName).size());
            throw EFCreateError(fileName, colon == std::string::npos ? std::string()
                                                                     : reason.substr(colon + 2));
        }
    }
    try {
        tempName_ = CreateTempFile(DirectoryOf(fileName), "." + BaseNameOf(fileName) + ".");
    } catch (const EFCreateError&) {
        throw EFCreateError(fileName, "cannot write in its folder");
    }
    chmod(tempName_.c_str(), exists ? (st.st_mode & 07777) : NewFileMode());
    temp_ = std::make_unique<TFileStream>(tempName_, fmOpenReadWrite | fmShareExclusive);
}

TReplacingFileStream::~TReplacingFileStream()
{
    temp_.reset();
    if (!committed_ && !tempName_.empty())
        std::remove(tempName_.c_str());
}

int32_t TReplacingFileStream::Read(void* buffer, int32_t count)
{
    return temp_->Read(buffer, count);
}

int32_t TReplacingFileStream::Write(const void* buffer, int32_t count)
{
    return temp_->Write(buffer, count);
}

int32_t TReplacingFileStream::Seek(int32_t offset, TSeekOrigin origin)
{
    return temp_->Seek(offset, origin);
}

void TReplacingFileStream::SetSize(int32_t newSize)
{
    temp_->SetSize(newSize);
}

void TReplacingFileStream::Commit()
{
    temp_->Flush();
    if (std::rename(tempName_.c_str(), fileName_.c_str()) != 0)
        throw EFCreateError(fileName_, std::strerror(errno));
    committed_ = true;
    target_.reset();
}
