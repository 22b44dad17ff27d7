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
struct TEmfHeader;

class TEmfPlayer {
public:
    // deviceToPainter maps the metafile's device units onto the painter's coordinates (its user
    // coordinates at the time the player is made, its transform included). The
    // painter's state is saved here and restored when the player is destroyed; keep any
    // save/restore of your own balanced between two PlayRecord calls.
    TEmfPlayer(QPainter& painter, const QTransform& deviceToPainter);
    ~TEmfPlayer();
    TEmfPlayer(const TEmfPlayer&) = delete;
    TEmfPlayer& operator=(const TEmfPlayer&) = delete;

    // Plays one whole record (type, size, body, as stored). Returns false once playback has
    // ended (the end-of-file record, or damage that makes going on meaningless).
    bool PlayRecord(std::span<const uint8_t> record);

    // Plays every record of a whole metafile (header first) until its end-of-file record.
    void PlayAll(std::span<const uint8_t> emf);

private:
    struct State;
    std::unique_ptr<State> d_;
};

// The metafile's frame (rclFrame, 0.01 mm) in its reference device's units, as the platform
// converts it with szlDevice and szlMillimeters (szlMicrometers when present).
QRectF FrameInDeviceUnits(const TEmfHeader& header);
// The mapping of the metafile's device units that lays its frame onto target.
QTransform DeviceToTarget(const TEmfHeader& header, const QRectF& target);

// Plays a whole metafile with its frame stretched over target, as the platform's StretchDraw does.
void StretchDrawMetafile(QPainter& painter, const QRectF& target, std::span<const uint8_t> emf);
void StretchDrawMetafile(QPainter& painter, const QRectF& target, const TMetafile& metafile);
