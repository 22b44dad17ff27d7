#include "printer/dev_mode_page_size.h"

#include <QSizeF>

QPageSize DevModePageSize(const TDevMode& devMode)
{
    if (!(devMode.dmFields & DM_PAPERSIZE))
        return {};
    if (devMode.dmPaperSize == DMPAPER_USER) {
        constexpr uint32_t both = DM_PAPERLENGTH | DM_PAPERWIDTH;
        if ((devMode.dmFields & both) != both || devMode.dmPaperWidth <= 0 ||
            devMode.dmPaperLength <= 0)
            return {};
        return QPageSize(QSizeF(devMode.dmPaperWidth / 10.0, devMode.dmPaperLength / 10.0),
                         QPageSize::Millimeter);
    }
    if (devMode.dmPaperSize <= 0)
        return {};
    const QPageSize::PageSizeId id = QPageSize::id(devMode.dmPaperSize);
    return id == QPageSize::Custom ? QPageSize() : QPageSize(id);
}
