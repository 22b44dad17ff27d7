#include "graphics/emf_player.h"

#include "graphics/metafile.h"

#include <QPainter>

// Bootstrap placeholder; the player proper replaces this file.
struct TEmfPlayer::State {
    QPainter* painter;
    QTransform transform;
};

TEmfPlayer::TEmfPlayer(QPainter& painter, const QTransform& deviceToPainter)
    : d_(std::make_unique<State>(State {&painter, deviceToPainter}))
{
}

TEmfPlayer::~TEmfPlayer() = default;

bool TEmfPlayer::PlayRecord(std::span<const uint8_t>)
{
    return true;
}

void StretchDrawMetafile(QPainter&, const QRectF&, std::span<const uint8_t>) {}

void StretchDrawMetafile(QPainter& painter, const QRectF& target, const TMetafile& metafile)
{
    StretchDrawMetafile(painter, target, metafile.Data());
}
