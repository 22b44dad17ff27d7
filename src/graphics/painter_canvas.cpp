#include "graphics/painter_canvas.h"

#include <QPainter>

TPainterCanvas::TPainterCanvas(QPainter& painter, int pixelsPerInch,
                               const QTransform& deviceToPainter)
    : TCanvas(pixelsPerInch), painter_(painter), deviceToPainter_(deviceToPainter),
      initialTransform_(painter.transform()), initialClipping_(painter.hasClipping()),
      initialClip_(initialClipping_ ? painter.clipPath() : QPainterPath()),
      player_(painter, deviceToPainter)
{
    // The player learns the reference device from a header, as it would from a recorded page.
    const TEmfReferenceDevice device = ReferenceDeviceAt(PixelsPerInch());
    TEmfHeaderInfo info;
    info.deviceCx = device.deviceCx;
    info.deviceCy = device.deviceCy;
    info.mmCx = device.mmCx;
    info.mmCy = device.mmCy;
    info.nBytes = kEmfHeaderSize + kEmfEofSize;
    info.nRecords = 2;
    player_.PlayRecord(Builder().Header(info));
}

TPainterCanvas::~TPainterCanvas()
{
    ReleaseObjects();
}

void TPainterCanvas::WriteRecord(std::span<const uint8_t> record)
{
    player_.PlayRecord(record);
}

void TPainterCanvas::DrawMetafile(const TRect& target, std::span<const uint8_t> emf)
{
    painter_.save();
    painter_.setTransform(initialTransform_);
    if (initialClipping_)
        painter_.setClipPath(initialClip_);
    else
        painter_.setClipping(false);
    StretchDrawMetafile(
        painter_,
        deviceToPainter_.mapRect(QRectF(target.Left, target.Top, target.Width(), target.Height())),
        emf);
    painter_.restore();
}
