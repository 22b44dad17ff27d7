#include "printer/dev_mode.h"

#include <map>
#include <memory>
#include <mutex>

namespace {
struct Block {
    TDevMode devMode;
    int locks = 0;
};

struct Heap {
    std::mutex mutex;
    std::map<TDevModeHandle, std::unique_ptr<Block>> blocks;
    TDevModeHandle next = 1;
};

// Never destroyed: printer objects that live until exit release their blocks after every other
// static is gone.
Heap& TheHeap()
{
    static Heap* const heap = new Heap;
    return *heap;
}

Block* Find(Heap& heap, TDevModeHandle handle)
{
    const auto it = heap.blocks.find(handle);
    return it == heap.blocks.end() ? nullptr : it->second.get();
}
} // namespace

TDevModeHandle GlobalAllocDevMode(const TDevMode& devMode)
{
    Heap& heap = TheHeap();
    std::lock_guard lock(heap.mutex);
    const TDevModeHandle handle = heap.next++;
    heap.blocks.emplace(handle, std::make_unique<Block>(Block { devMode, 0 }));
    return handle;
}

void GlobalFreeDevMode(TDevModeHandle handle)
{
    Heap& heap = TheHeap();
    std::lock_guard lock(heap.mutex);
    heap.blocks.erase(handle);
}

TDevMode* GlobalLock(TDevModeHandle handle)
{
    Heap& heap = TheHeap();
    std::lock_guard lock(heap.mutex);
    Block* block = Find(heap, handle);
    if (!block)
        return nullptr;
    ++block->locks;
    return &block->devMode;
}

bool GlobalUnlock(TDevModeHandle handle)
{
    Heap& heap = TheHeap();
    std::lock_guard lock(heap.mutex);
    Block* block = Find(heap, handle);
    if (!block)
        return false;
    if (block->locks > 0)
        --block->locks;
    return block->locks > 0;
}

int GlobalLockCount(TDevModeHandle handle)
{
    Heap& heap = TheHeap();
    std::lock_guard lock(heap.mutex);
    const Block* block = Find(heap, handle);
    return block ? block->locks : 0;
}

bool GlobalIsLive(TDevModeHandle handle)
{
    Heap& heap = TheHeap();
    std::lock_guard lock(heap.mutex);
    return Find(heap, handle) != nullptr;
}
