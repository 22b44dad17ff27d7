#pragma once
// Codes compressed pages on a thread of its own while the report generator draws the next page,
// and writes their records in page order. Coding a page costs about as much as drawing it, so on
// a machine with a second processor a compressed recording takes little longer than a plain one.
// At most a few pages wait, so memory stays bounded by a few page images.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class TQRBackgroundCoder {
public:
    // Writes page's record from its coded block; runs on the coder's thread, in page order.
    using WriteRecord =
        std::function<void(int32_t page, int32_t plainLength, const std::vector<uint8_t>& coded)>;

    explicit TQRBackgroundCoder(WriteRecord write);
    // Drops the pages still waiting and lets the one being coded finish.
    ~TQRBackgroundCoder();

    // Queues a page's plain bytes, waiting while the queue is full. A failure of an earlier page
    // is raised here (once), and the page is then not queued.
    void Submit(int32_t page, std::vector<uint8_t> plain);
    // Waits until every queued page is written; raises a failure of any of them.
    void Drain();
    // Waits until the page is written (or no longer queued); raises a failure.
    void WaitFor(int32_t page);
    // Drops the pages still waiting and waits for the one being coded; failures are forgotten.
    void Discard();
    // The last page whose record was written.
    int32_t LastWritten();

    // Whether coding in the background pays off on this machine.
    static bool Worthwhile();

private:
    struct Job {
        int32_t page;
        std::vector<uint8_t> plain;
    };
    void Run();
    void RaiseFailure(std::unique_lock<std::mutex>& lock);

    static constexpr size_t kMaxWaiting = 2;
    WriteRecord write_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> waiting_;
    int32_t coding_ = 0;  // the page being coded, 0 for none
    int32_t lastWritten_ = 0;
    std::exception_ptr failure_;
    bool stopping_ = false;
    std::thread thread_;
};
