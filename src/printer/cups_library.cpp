#include "printer/cups_library.h"

#include <QLibrary>

namespace {
template <typename Function> void Resolve(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
}
} // namespace

const CupsLibrary& Cups()
{
    static const CupsLibrary cups = [] {
        CupsLibrary c;
        QLibrary library("cups", 2);
        if (library.load()) {
            Resolve(library, "cupsPrintFile", c.cupsPrintFile);
            Resolve(library, "cupsLastErrorString", c.cupsLastErrorString);
            Resolve(library, "cupsServer", c.cupsServer);
            Resolve(library, "ippPort", c.ippPort);
        }
        return c;
    }();
    return cups;
}
