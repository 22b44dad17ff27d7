#include "pagestore/qr_background_coder.h"

#include "pagestore/qr_compress.h"

TQRBackgroundCoder::TQRBackgroundCoder(WriteRecord write)
    : write_(std::move(write)), thread_([this] { Run(); })
{
}

TQRBackgroundCoder::~TQRBackgroundCoder()
{
    {
        std::lock_guard lock(mutex_);
        waiting_.clear();
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool TQRBackgroundCoder::Worthwhile()
{
    return std::thread::hardware_concurrency() > 1;
}

void TQRBackgroundCoder::RaiseFailure(std::unique_lock<std::mutex>& lock)
{
    if (!failure_)
        return;
    std::exception_ptr failure = std::exchange(failure_, nullptr);
    lock.unlock();
    std::rethrow_exception(failure);
}

void TQRBackgroundCoder::Submit(int32_t page, std::vector<uint8_t> plain)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting || failure_; });
    RaiseFailure(lock);
    waiting_.push_back({page, std::move(plain)});
    changed_.notify_all();
}

void TQRBackgroundCoder::Drain()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (waiting_.empty() && coding_ == 0) || failure_; });
    RaiseFailure(lock);
}

void TQRBackgroundCoder::WaitFor(int32_t page)
{
    std::unique_lock lock(mutex_);
    const auto queued = [&] {
        if (coding_ == page)
            return true;
        for (const Job& job : waiting_)
            if (job.page == page)
                return true;
        return false;
    };
    changed_.wait(lock, [&] { return !queued() || failure_; });
    RaiseFailure(lock);
}

void TQRBackgroundCoder::Discard()
{
    std::unique_lock lock(mutex_);
    waiting_.clear();
    changed_.wait(lock, [this] { return coding_ == 0; });
    failure_ = nullptr;
    changed_.notify_all();
}

int32_t TQRBackgroundCoder::LastWritten()
{
    std::lock_guard lock(mutex_);
    return lastWritten_;
}

void TQRBackgroundCoder::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_)
            return;
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        coding_ = job.page;
        changed_.notify_all();
        lock.unlock();
        std::exception_ptr failure;
        try {
            // Coded into memory first: the record is written in one piece.
            write_(job.page, int32_t(job.plain.size()), CompressBlock(job.plain));
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        coding_ = 0;
        if (failure) {
            // The pages after a failed one would leave a gap: they are dropped with it.
            failure_ = failure;
            waiting_.clear();
        } else {
            lastWritten_ = job.page;
        }
        changed_.notify_all();
    }
}
