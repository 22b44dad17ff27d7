#pragma once
#include <mutex>

// A re-entrant lock: the thread that holds it may take it again.
class TCriticalSection {
public:
    void Acquire() { mutex_.lock(); }
    void Release() { mutex_.unlock(); }
    // For std::lock_guard and friends.
    void lock() { Acquire(); }
    void unlock() { Release(); }

private:
    std::recursive_mutex mutex_;
};
