#include "graphics/emf_handle_table.h"

uint32_t TEmfHandleTable::Allocate()
{
    uint32_t index = firstFree_;
    while (index < used_.size() && used_[index])
        ++index;
    if (index >= kCapacity)
        return 0;
    if (index >= used_.size())
        used_.resize(index + 1, false);
    used_[index] = true;
    firstFree_ = index + 1;
    if (index > highWater_)
        highWater_ = index;
    return index;
}

void TEmfHandleTable::Release(uint32_t index)
{
    if (index == 0 || index >= used_.size() || !used_[index])
        return;
    used_[index] = false;
    if (index < firstFree_)
        firstFree_ = index;
}
