#pragma once
// A canvas that draws at once on a QPainter: each record the canvas makes is played straight
// away by the metafile player, so drawing directly (the printer) and drawing a recorded page
// (the preview) go through the same code and give the same picture.
#include "graphics/canvas.h"
#include "graphics/emf_player.h"

#include <QPainterPath>
#include <QTransform>

class QPainter;

class TPainterCanvas : public TCanvas {
public:
    // pixelsPerInch: the device's resolution (fonts are sized through it); deviceToPainter maps
    // canvas pixels onto the painter's coordinates.
    TPainterCanvas(QPainter& painter, int pixelsPerInch, const QTransform& deviceToPainter = {});
    ~TPainterCanvas() override;

protected:
    void WriteRecord(std::span<const uint8_t> record) override;
    void DrawMetafile(const TRect& target, std::span<const uint8_t> emf) override;

private:
    QPainter& painter_;
    QTransform deviceToPainter_;
    // The painter as the caller handed it over; the player changes it while it plays.
    QTransform initialTransform_;
    bool initialClipping_;
    QPainterPath initialClip_;
    TEmfPlayer player_;
};
