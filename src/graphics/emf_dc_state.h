#pragma once
// The device context that metafile playback draws through: mapping (map mode, window and
// viewport, world transform), the selected objects, colours and modes, the current position and
// the clipping regions. SaveDC copies it whole.
#include "graphics/emf_clip.h"
#include "graphics/emf_objects.h"

#include <QPointF>
#include <QSizeF>
#include <QTransform>
#include <cstdint>
#include <memory>

// The reference device a metafile was recorded against.
struct TEmfDevice {
    double pixelsX = 1024, pixelsY = 768;          // szlDevice
    double millimetresX = 320, millimetresY = 240; // szlMillimeters (or micrometres / 1000)
};

class TEmfDcState {
public:
    TEmfDcState();

    // Mapping. Setters that the device context would refuse (zero extents, extents outside the
    // scalable modes) leave the state unchanged.
    void SetMapMode(uint32_t mode, const TEmfDevice& device);
    void SetWindowOrg(QPointF org);
    void SetViewportOrg(QPointF org);
    void SetWindowExt(QSizeF ext, const TEmfDevice& device);
    void SetViewportExt(QSizeF ext, const TEmfDevice& device);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom,
                        const TEmfDevice& device);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom,
                          const TEmfDevice& device);
    void SetWorld(const QTransform& world);
    uint32_t MapMode() const { return mapMode_; }
    const QTransform& World() const { return world_; }

    // Logical (world) coordinates to the metafile's device units.
    const QTransform& LogicalToDevice() const;
    // The page part alone (page space to device).
    QTransform PageToDevice() const;

    // Selected objects (never null).
    std::shared_ptr<const TEmfPen> pen;
    std::shared_ptr<const TEmfBrush> brush;
    std::shared_ptr<const TEmfFont> font;
    std::shared_ptr<const TEmfPalette> palette;

    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    uint32_t bkMode = 2;       // OPAQUE
    uint32_t polyFillMode = 1; // ALTERNATE
    uint32_t rop2 = 13;        // R2_COPYPEN
    uint32_t stretchMode = 1;  // BLACKONWHITE
    uint32_t textAlign = 0;    // TA_TOP | TA_LEFT | TA_NOUPDATECP
    uint32_t arcDirection = 1; // AD_COUNTERCLOCKWISE
    uint32_t graphicsMode = 1; // GM_COMPATIBLE
    uint32_t layout = 0;
    double miterLimit = 10;
    QPointF position; // current position, logical units
    QPointF brushOrg;
    int32_t justifyExtra = 0; // SETTEXTJUSTIFICATION: extra space over the break characters
    int32_t justifyCount = 0;

    TEmfClip clip;     // device units
    TEmfClip metaClip; // device units

private:
    void FixIsotropic(const TEmfDevice& device);
    bool Scalable() const;
    void Changed() { transformValid_ = false; }

    uint32_t mapMode_ = 1;
    QPointF windowOrg_, viewportOrg_;
    QSizeF windowExt_ { 1, 1 }, viewportExt_ { 1, 1 };
    QTransform world_;
    mutable QTransform logicalToDevice_;
    mutable bool transformValid_ = false;
};
