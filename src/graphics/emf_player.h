#pragma once
// Plays enhanced metafile records onto a QPainter with the drawing semantics of the platform that
// wrote them. Bad records are skipped (or end the playback) without reading outside them.
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <span>

class QPainter;
class TMetafile;

class TEmfPlayer {
public:
    // deviceToPainter maps the metafile's device units onto the painter's coordinates.
    TEmfPlayer(QPainter& painter, const QTransform& deviceToPainter);
    ~TEmfPlayer();
    TEmfPlayer(const TEmfPlayer&) = delete;
    TEmfPlayer& operator=(const TEmfPlayer&) = delete;

    // Plays one whole record (type, size, body, as stored). Returns false once playback has
    // ended (the end-of-file record, or damage that makes going on meaningless).
    bool PlayRecord(std::span<const uint8_t> record);

private:
    struct State;
    std::unique_ptr<State> d_;
};

// Plays a whole metafile with its frame stretched over target, as the platform's StretchDraw does.
void StretchDrawMetafile(QPainter& painter, const QRectF& target, std::span<const uint8_t> emf);
void StretchDrawMetafile(QPainter& painter, const QRectF& target, const TMetafile& metafile);
