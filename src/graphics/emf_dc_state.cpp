#include "graphics/emf_dc_state.h"

#include "graphics/emf_records.h"

#include <cmath>

using namespace emf;

TEmfDcState::TEmfDcState()
{
    pen = std::get<std::shared_ptr<const TEmfPen>>(StockObject(BLACK_PEN));
    brush = std::get<std::shared_ptr<const TEmfBrush>>(StockObject(WHITE_BRUSH));
    font = std::get<std::shared_ptr<const TEmfFont>>(StockObject(SYSTEM_FONT));
    palette = std::get<std::shared_ptr<const TEmfPalette>>(StockObject(DEFAULT_PALETTE));
}

bool TEmfDcState::Scalable() const
{
    return mapMode_ == MM_ISOTROPIC || mapMode_ == MM_ANISOTROPIC;
}

void TEmfDcState::SetMapMode(uint32_t mode, const TEmfDevice& device)
{
    // Window extents of the metric and English modes: the device's size in the mode's units.
    double unitsPerMm = 0;
    switch (mode) {
    case MM_TEXT:
        windowExt_ = viewportExt_ = QSizeF(1, 1);
        break;
    case MM_LOMETRIC:
    case MM_ISOTROPIC:
        unitsPerMm = 10;
        break;
    case MM_HIMETRIC:
        unitsPerMm = 100;
        break;
    case MM_LOENGLISH:
        unitsPerMm = 100 / 25.4;
        break;
    case MM_HIENGLISH:
        unitsPerMm = 1000 / 25.4;
        break;
    case MM_TWIPS:
        unitsPerMm = 1440 / 25.4;
        break;
    case MM_ANISOTROPIC:
        break;
    default:
        return;
    }
    if (unitsPerMm > 0) {
        windowExt_ = QSizeF(device.millimetresX * unitsPerMm, device.millimetresY * unitsPerMm);
        viewportExt_ = QSizeF(device.pixelsX, -device.pixelsY);
    }
    mapMode_ = mode;
    Changed();
}

void TEmfDcState::SetWindowOrg(QPointF org)
{
    windowOrg_ = org;
    Changed();
}

void TEmfDcState::SetViewportOrg(QPointF org)
{
    viewportOrg_ = org;
    Changed();
}

void TEmfDcState::SetWindowExt(QSizeF ext, const TEmfDevice& device)
{
    if (!Scalable() || ext.width() == 0 || ext.height() == 0)
        return;
    windowExt_ = ext;
    if (mapMode_ == MM_ISOTROPIC)
        FixIsotropic(device);
    Changed();
}

void TEmfDcState::SetViewportExt(QSizeF ext, const TEmfDevice& device)
{
    if (!Scalable() || ext.width() == 0 || ext.height() == 0)
        return;
    viewportExt_ = ext;
    if (mapMode_ == MM_ISOTROPIC)
        FixIsotropic(device);
    Changed();
}

void TEmfDcState::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom,
                                 const TEmfDevice& device)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetWindowExt(QSizeF(std::trunc(windowExt_.width() * xNum / xDenom),
                        std::trunc(windowExt_.height() * yNum / yDenom)),
                 device);
}

void TEmfDcState::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom,
                                   const TEmfDevice& device)
{
    if (xDenom == 0 || yDenom == 0)
        return;
    SetViewportExt(QSizeF(std::trunc(viewportExt_.width() * xNum / xDenom),
                          std::trunc(viewportExt_.height() * yNum / yDenom)),
                   device);
}

// In the isotropic mode one logical unit has the same physical size on both axes: the viewport
// extent shrinks on the axis that would otherwise be stretched more.
void TEmfDcState::FixIsotropic(const TEmfDevice& device)
{
    if (windowExt_.width() == 0 || windowExt_.height() == 0 || device.pixelsX <= 0 ||
        device.pixelsY <= 0)
        return;
    const double xdim = std::fabs(viewportExt_.width() * device.millimetresX /
                                  (device.pixelsX * windowExt_.width()));
    const double ydim = std::fabs(viewportExt_.height() * device.millimetresY /
                                  (device.pixelsY * windowExt_.height()));
    if (xdim == 0 || ydim == 0)
        return;
    if (xdim > ydim) {
        const double sign = viewportExt_.width() >= 0 ? 1 : -1;
        double w = std::floor(viewportExt_.width() * ydim / xdim + 0.5);
        if (w == 0)
            w = sign;
        viewportExt_.setWidth(w);
    } else if (ydim > xdim) {
        const double sign = viewportExt_.height() >= 0 ? 1 : -1;
        double h = std::floor(viewportExt_.height() * xdim / ydim + 0.5);
        if (h == 0)
            h = sign;
        viewportExt_.setHeight(h);
    }
}

void TEmfDcState::SetWorld(const QTransform& world)
{
    world_ = world;
    Changed();
}

QTransform TEmfDcState::PageToDevice() const
{
    const double sx = viewportExt_.width() / windowExt_.width();
    const double sy = viewportExt_.height() / windowExt_.height();
    return QTransform(sx, 0, 0, sy, viewportOrg_.x() - windowOrg_.x() * sx,
                      viewportOrg_.y() - windowOrg_.y() * sy);
}

const QTransform& TEmfDcState::LogicalToDevice() const
{
    if (!transformValid_) {
        logicalToDevice_ = world_ * PageToDevice();
        transformValid_ = true;
    }
    return logicalToDevice_;
}
