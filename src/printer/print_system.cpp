#include "printer/print_system.h"

#include "printer/qt_print_system.h"

namespace {
PrintSystem* installed = nullptr;
uint64_t generation = 0;
} // namespace

PrintSystem& PrintSystem::Instance()
{
    if (installed)
        return *installed;
    static QtPrintSystem qt;
    return qt;
}

PrintSystem* PrintSystem::SetInstance(PrintSystem* system)
{
    PrintSystem* previous = installed;
    installed = system;
    ++generation;
    return previous;
}

uint64_t PrintSystem::InstanceGeneration()
{
    return generation;
}
