#include "platform/file_stream.h"

#include "platform/errors.h"
#include "platform/memory_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each opener marks its access and its denials with shared locks on four bytes far beyond any
// real data. Testing whether anyone holds one of them is an attempt to lock it exclusively.
constexpr off_t kLockBase = off_t(1) << 62;
enum LockByte : off_t { kAccessRead = 0, kAccessWrite = 1, kDenyRead = 2, kDenyWrite = 3 };

bool SetLock(int fd, short type, LockByte which)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kLockBase + which;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// No other opener holds the byte. Asking does not need write access, unlike taking a lock.
bool Free(int fd, LockByte which)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kLockBase + which;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK;
}

struct Sharing {
    bool read = false, write = false;          // access wanted
    bool denyRead = false, denyWrite = false;  // access refused to others
};

Sharing SharingOf(uint16_t mode)
{
    Sharing s;
    const uint16_t access = mode == fmCreate ? fmOpenReadWrite : (mode & 0x0F);
    s.read = access == fmOpenRead || access == fmOpenReadWrite;
    s.write = access == fmOpenWrite || access == fmOpenReadWrite;
    uint16_t share = mode == fmCreate ? fmShareExclusive : (mode & 0xF0);
    if ((mode & 0xFF00) == 0xFF00 && (mode & 0xF0))
        share = mode & 0xF0;
    s.denyRead = share == fmShareExclusive || share == fmShareDenyRead || share == fmShareCompat;
    s.denyWrite = share == fmShareExclusive || share == fmShareDenyWrite || share == fmShareCompat;
    // Compatibility mode behaves as exclusive here, as it does for files opened by name.
    return s;
}

// Takes the share locks for an opener, or says why not. Nothing is held after a refusal.
bool AcquireSharing(int fd, const Sharing& s)
{
    if ((s.read && !Free(fd, kDenyRead)) || (s.write && !Free(fd, kDenyWrite)) ||
        (s.denyRead && !Free(fd, kAccessRead)) || (s.denyWrite && !Free(fd, kAccessWrite)))
        return false;
    return (!s.read || SetLock(fd, F_RDLCK, kAccessRead)) &&
                    (!s.write || SetLock(fd, F_RDLCK, kAccessWrite)) &&
                    (!s.denyRead || SetLock(fd, F_RDLCK, kDenyRead)) &&
                    (!s.denyWrite || SetLock(fd, F_RDLCK, kDenyWrite));
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : fileName_(fileName)
{
    const bool create = (mode & 0xFF00) == 0xFF00;
    const Sharing sharing = SharingOf(mode);
    int flags = O_CLOEXEC;
    flags |= sharing.read && sharing.write ? O_RDWR : sharing.write ? O_WRONLY : O_RDONLY;
    if (create)
        flags |= O_CREAT;  // emptied below, only once the exclusive access is granted
    fd_ = ::open(fileName.c_str(), flags, 0666);
    if (fd_ < 0) {
        const std::string reason = std::strerror(errno);
        if (create)
            throw EFCreateError(fileName, reason);
        throw EFOpenError(fileName, reason);
    }
    struct stat st {};
    if (fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        if (create)
            throw EFCreateError(fileName, "is a directory");
        throw EFOpenError(fileName, "is a directory");
    }
    // The share marks live on a read-only description of the same file, so that they can be held
    // whatever access the stream itself has.
    lockFd_ = ::open(("/proc/self/fd/" + std::to_string(fd_)).c_str(), O_RDONLY | O_CLOEXEC);
    if (lockFd_ >= 0 && !AcquireSharing(lockFd_, sharing)) {
        ::close(lockFd_);
        ::close(fd_);
        fd_ = lockFd_ = -1;
        const std::string reason = "the file is in use";
        if (create)
            throw EFCreateError(fileName, reason);
        throw EFOpenError(fileName, reason);
    }
    if (create && ftruncate(fd_, 0) != 0) {
        const std::string reason = std::strerror(errno);
        if (lockFd_ >= 0)
            ::close(lockFd_);
        ::close(fd_);
        fd_ = -1;
        throw EFCreateError(fileName, reason);
    }
}

TFileStream::~TFileStream()
{
    try {
        FlushWrites();
    } catch (const Exception&) {
        // A destructor cannot report; callers that care call Flush first.
    }
    ::close(fd_);
    if (lockFd_ >= 0)
        ::close(lockFd_);  // closing the description drops its share marks
}

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

int64_t TFileStream::FileSize()
{
    struct stat st {};
    if (fstat(fd_, &st) != 0)
        throw EStreamError(std::string("Cannot read the size of ") + fileName_ + ": " +
                           std::strerror(errno));
    return std::max<int64_t>(st.st_size, writeStart_ + int64_t(writeBuffer_.size()));
}

void TFileStream::FlushWrites()
{
    size_t done = 0;
    while (done < writeBuffer_.size()) {
        const ssize_t n = ::pwrite(fd_, writeBuffer_.data() + done, writeBuffer_.size() - done,
                                   off_t(writeStart_ + int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            writeBuffer_.clear();
            throw EWriteError();
        }
        done += size_t(n);
    }
    writeBuffer_.clear();
}

int32_t TFileStream::Read(void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const int64_t inBuffer = position_ - readStart_;
        if (inBuffer >= 0 && inBuffer < int64_t(readBuffer_.size())) {
            const size_t n = std::min(size_t(count - done), readBuffer_.size() - size_t(inBuffer));
            std::memcpy(out + done, readBuffer_.data() + inBuffer, n);
            done += int32_t(n);
            position_ += int64_t(n);
            continue;
        }
        FlushWrites();
        readBuffer_.resize(kBufferSize);
        readStart_ = position_;
        ssize_t n;
        do
            n = ::pread(fd_, readBuffer_.data(), kBufferSize, off_t(position_));
        while (n < 0 && errno == EINTR);
        readBuffer_.resize(n > 0 ? size_t(n) : 0);
        if (n <= 0)
            break;
    }
    return done;
}

int32_t TFileStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    if (position_ + count > INT32_MAX)
        throw EStreamError("File cannot grow beyond 2147483647 bytes: " + fileName_);
    readBuffer_.clear();
    const auto* in = static_cast<const uint8_t*>(buffer);
    const bool continues = position_ == writeStart_ + int64_t(writeBuffer_.size());
    if (!continues || writeBuffer_.size() + size_t(count) > kBufferSize)
        FlushWrites();
    if (size_t(count) >= kBufferSize) {
        // Large blocks go straight through, so that their failure shows in the count.
        int32_t done = 0;
        while (done < count) {
            const ssize_t n = ::pwrite(fd_, in + done, size_t(count - done), off_t(position_));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += int32_t(n);
            position_ += n;
        }
        return done;
    }
    if (writeBuffer_.empty()) {
        writeBuffer_.reserve(kBufferSize);
        writeStart_ = position_;
    }
    writeBuffer_.insert(writeBuffer_.end(), in, in + count);
    position_ += count;
    return count;
}

int32_t TFileStream::Seek(int32_t offset, TSeekOrigin origin)
{
    const int64_t size = origin == soEnd ? FileSize() : 0;
    position_ = ResolveSeek(position_, size, offset, origin);
    return int32_t(position_);
}

void TFileStream::SetSize(int32_t newSize)
{
    FlushWrites();
    readBuffer_.clear();
    if (newSize < 0 || ftruncate(fd_, newSize) != 0)
        throw EStreamError("Cannot change the size of " + fileName_);
    position_ = std::min<int64_t>(position_, newSize);
}

void TFileStream::Flush()
{
    FlushWrites();
    if (fsync(fd_) != 0)
        throw EWriteError();
}

bool FileIsOpenElsewhere(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool busy = !Free(fd, kAccessRead) || !Free(fd, kAccessWrite) || !Free(fd, kDenyRead) ||
                      !Free(fd, kDenyWrite);
    ::close(fd);
    return busy;
}
