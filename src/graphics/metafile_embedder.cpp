#include "graphics/metafile_embedder.h"

#include "graphics/emf_player.h"
#include "graphics/metafile.h"
#include "platform/errors.h"
#include "platform/stream.h"

#include <QTransform>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

namespace {
constexpr uint32_t kRgnDataHeaderSize = 32;
constexpr uint32_t kDefaultTextColor = 0x000000;
constexpr uint32_t kDefaultBkColor = 0xFFFFFF;
constexpr uint32_t kStretchBlackOnWhite = 1;

int32_t ClampRound(double v)
{
    if (!(v > -2147483648.0))
        return std::numeric_limits<int32_t>::min();
    if (!(v < 2147483647.0))
        return std::numeric_limits<int32_t>::max();
    return int32_t(std::lround(v));
}

// The inner metafile's page transform: logical units to its own device units.
struct TPageState {
    uint32_t mapMode = emf::MM_TEXT;
    double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
    double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
};

class TEmbedder {
public:
    // frameToTarget: the inner device units onto the outer ones, as playing the picture over the
    // target would map them, so that embedding and drawing directly agree.
    TEmbedder(const TEmfHeader& header, const QTransform& frameToTarget, TEmfHandleTable& handles,
              TEmfRecordBuilder& builder,
              const std::function<void(std::span<const uint8_t>)>& write)
        : header_(header), handles_(handles), builder_(builder), write_(write),
          scaleX_(frameToTarget.m11()), scaleY_(frameToTarget.m22()), offsetX_(frameToTarget.dx()),
          offsetY_(frameToTarget.dy())
    {
        // The fixed map modes need the reference device; a header without one gets the screen's.
        if (header_.deviceCx <= 0 || header_.deviceCy <= 0 || header_.mmCx <= 0 ||
            header_.mmCy <= 0) {
            const TEmfReferenceDevice screen = ReferenceDeviceAt(96);
            header_.deviceCx = screen.deviceCx;
            header_.deviceCy = screen.deviceCy;
            header_.mmCx = screen.mmCx;
            header_.mmCy = screen.mmCy;
        }
    }

    void Run(std::span<const uint8_t> emf)
    {
        write_(builder_.Simple(emf::EMR_SAVEDC, 0u));
        WriteFreshState();
        const size_t end = std::min<size_t>(emf.size(), header_.nBytes);
        size_t offset = 0;
        while (end - offset >= 8) {
            const uint32_t type = ReadLE32(emf.data() + offset);
            const uint32_t size = ReadLE32(emf.data() + offset + 4);
            if (size < 8 || size % 4 != 0 || size > end - offset || type == emf::EMR_EOF)
                break;
            Record(type, emf.subspan(offset, size));
            offset += size;
        }
        builder_.Begin(emf::EMR_RESTOREDC);
        builder_.PutS32(-int32_t(saved_.size() + 1));
        write_(builder_.Finish());
        for (const auto& [inner, outer] : objects_) {
            write_(builder_.Simple(emf::EMR_DELETEOBJECT, outer));
            handles_.Release(outer);
        }
    }

private:
    void WriteFreshState()
    {
        write_(builder_.Simple(emf::EMR_SETMAPMODE, emf::MM_ANISOTROPIC));
        WritePageTransform();
        write_(builder_.Simple(emf::EMR_SELECTOBJECT, Stock(emf::BLACK_PEN)));
        write_(builder_.Simple(emf::EMR_SELECTOBJECT, Stock(emf::WHITE_BRUSH)));
        write_(builder_.Simple(emf::EMR_SELECTOBJECT, Stock(emf::SYSTEM_FONT)));
        write_(builder_.Simple(emf::EMR_SETTEXTCOLOR, kDefaultTextColor));
        write_(builder_.Simple(emf::EMR_SETBKCOLOR, kDefaultBkColor));
        write_(builder_.Simple(emf::EMR_SETBKMODE, emf::OPAQUE));
        write_(builder_.Simple(emf::EMR_SETTEXTALIGN, 0u));
        write_(builder_.Simple(emf::EMR_SETSTRETCHBLTMODE, kStretchBlackOnWhite));
        write_(builder_.Simple(emf::EMR_MOVETOEX, 0, 0));
    }

    // The inner page transform followed by the frame mapping is again an axis-aligned scale and
    // offset, which an anisotropic window and viewport express.
    void WritePageTransform()
    {
        const auto axis = [](double scale, int32_t& windowExt, int32_t& viewportExt) {
            double window = 65536;
            while (window > 1 && std::abs(scale) * window > 1073741824.0)
                window /= 2;
            windowExt = int32_t(window);
            viewportExt = ClampRound(scale * window);
            if (viewportExt == 0)
                viewportExt = scale < 0 ? -1 : 1;
        };
        int32_t windowExtX, windowExtY, viewportExtX, viewportExtY;
        axis(page_.viewportExtX / page_.windowExtX * scaleX_, windowExtX, viewportExtX);
        axis(page_.viewportExtY / page_.windowExtY * scaleY_, windowExtY, viewportExtY);
        const int32_t windowOrgX = ClampRound(page_.windowOrgX);
        const int32_t windowOrgY = ClampRound(page_.windowOrgY);
        write_(builder_.Simple(emf::EMR_SETWINDOWEXTEX, windowExtX, windowExtY));
        write_(builder_.Simple(emf::EMR_SETWINDOWORGEX, windowOrgX, windowOrgY));
        write_(builder_.Simple(emf::EMR_SETVIEWPORTEXTEX, viewportExtX, viewportExtY));
        write_(builder_.Simple(emf::EMR_SETVIEWPORTORGEX,
                               ClampRound(page_.viewportOrgX * scaleX_ + offsetX_),
                               ClampRound(page_.viewportOrgY * scaleY_ + offsetY_)));
    }

    void SetMapMode(uint32_t mode)
    {
        const double mmX = header_.mmCx, mmY = header_.mmCy;
        const auto fixed = [&](double unitsPerMm) {
            page_.windowExtX = mmX * unitsPerMm;
            page_.windowExtY = mmY * unitsPerMm;
            page_.viewportExtX = header_.deviceCx;
            page_.viewportExtY = -double(header_.deviceCy);
        };
        switch (mode) {
        case emf::MM_TEXT:
            page_.windowExtX = page_.windowExtY = page_.viewportExtX = page_.viewportExtY = 1;
            break;
        case emf::MM_LOMETRIC:
        case emf::MM_ISOTROPIC:
            fixed(10);
            break;
        case emf::MM_HIMETRIC:
            fixed(100);
            break;
        case emf::MM_LOENGLISH:
            fixed(100 / 25.4);
            break;
        case emf::MM_HIENGLISH:
            fixed(1000 / 25.4);
            break;
        case emf::MM_TWIPS:
            fixed(1440 / 25.4);
            break;
        case emf::MM_ANISOTROPIC:
            break;
        default:
            return;
        }
        page_.mapMode = mode;
    }

    // Isotropic mapping shrinks the viewport on one axis so that both axes scale alike.
    void FixIsotropic()
    {
        if (page_.mapMode != emf::MM_ISOTROPIC)
            return;
        const double xdim =
            std::abs(page_.viewportExtX * header_.mmCx / (page_.windowExtX * header_.deviceCx));
        const double ydim =
            std::abs(page_.viewportExtY * header_.mmCy / (page_.windowExtY * header_.deviceCy));
        if (xdim > ydim)
            page_.viewportExtX = std::floor(page_.viewportExtX * ydim / xdim + 0.5);
        else if (ydim > xdim)
            page_.viewportExtY = std::floor(page_.viewportExtY * xdim / ydim + 0.5);
        if (page_.viewportExtX == 0)
            page_.viewportExtX = 1;
        if (page_.viewportExtY == 0)
            page_.viewportExtY = 1;
    }

    bool Scalable() const
    {
        return page_.mapMode == emf::MM_ISOTROPIC || page_.mapMode == emf::MM_ANISOTROPIC;
    }

    // A copy of record with the 32-bit field at offset replaced.
    std::span<const uint8_t> Patched(std::span<const uint8_t> record, size_t offset, uint32_t value)
    {
        builder_.Begin(ReadLE32(record.data()));
        builder_.PutBytes(record.subspan(8));
        builder_.Patch32(offset, value);
        return builder_.Finish();
    }

    // Writes record with the object index at offset moved to its outer slot; indexes never
    // created are dropped with their record, stock objects pass unchanged.
    void WithObject(std::span<const uint8_t> record, size_t offset)
    {
        if (record.size() < offset + 4)
            return;
        const uint32_t index = ReadLE32(record.data() + offset);
        if (index & emf::kStockObjectFlag) {
            write_(record);
            return;
        }
        const auto it = objects_.find(index);
        if (it != objects_.end())
            write_(Patched(record, offset, it->second));
    }

    void Create(std::span<const uint8_t> record)
    {
        if (record.size() < 12)
            return;
        const uint32_t index = ReadLE32(record.data() + 8);
        if (index == 0 || (index & emf::kStockObjectFlag))
            return;
        Delete(index);
        const uint32_t outer = handles_.Allocate();
        if (!outer)
            return;
        objects_[index] = outer;
        write_(Patched(record, 8, outer));
    }

    void Delete(uint32_t index)
    {
        const auto it = objects_.find(index);
        if (it == objects_.end())
            return;
        write_(builder_.Simple(emf::EMR_DELETEOBJECT, it->second));
        handles_.Release(it->second);
        objects_.erase(it);
    }

    void RestoreDC(std::span<const uint8_t> record)
    {
        if (record.size() < 12)
            return;
        const int64_t relative = ReadLE32s(record.data() + 8);
        const int64_t depth = int64_t(saved_.size());
        // A positive index counts from the embedded picture's first save, not the outer one's.
        const int64_t count = relative < 0 ? -relative : depth - relative + 1;
        if (relative == 0 || count < 1 || count > depth)
            return;
        builder_.Begin(emf::EMR_RESTOREDC);
        builder_.PutS32(int32_t(-count));
        write_(builder_.Finish());
        page_ = saved_[size_t(depth - count)];
        saved_.resize(size_t(depth - count));
    }

    // Clipping regions are in device units: they take only the frame mapping.
    void SelectClipRegion(std::span<const uint8_t> record)
    {
        if (record.size() < 16)
            return;
        const uint32_t dataSize = ReadLE32(record.data() + 8);
        if (dataSize == 0) {
            write_(record);
            return;
        }
        if (dataSize < kRgnDataHeaderSize || dataSize > record.size() - 16)
            return;
        const uint32_t count = ReadLE32(record.data() + 16 + 8);
        if (count > (dataSize - kRgnDataHeaderSize) / 16)
            return;
        builder_.Begin(emf::EMR_EXTSELECTCLIPRGN);
        builder_.PutBytes(record.subspan(8));
        const auto mapRect = [&](size_t at) {
            const uint8_t* p = record.data() + at;
            builder_.Patch32(at, uint32_t(ClampRound(ReadLE32s(p) * scaleX_ + offsetX_)));
            builder_.Patch32(at + 4, uint32_t(ClampRound(ReadLE32s(p + 4) * scaleY_ + offsetY_)));
            builder_.Patch32(at + 8, uint32_t(ClampRound(ReadLE32s(p + 8) * scaleX_ + offsetX_)));
            builder_.Patch32(at + 12, uint32_t(ClampRound(ReadLE32s(p + 12) * scaleY_ + offsetY_)));
        };
        mapRect(16 + 16);
        for (uint32_t i = 0; i < count; ++i)
            mapRect(16 + kRgnDataHeaderSize + size_t(i) * 16);
        write_(builder_.Finish());
    }

    void Record(uint32_t type, std::span<const uint8_t> record)
    {
        const auto field = [&](size_t at) { return ReadLE32s(record.data() + at); };
        switch (type) {
        case emf::EMR_HEADER:
            return;
        case emf::EMR_SETMAPMODE:
            if (record.size() >= 12) {
                SetMapMode(uint32_t(field(8)));
                WritePageTransform();
            }
            return;
        case emf::EMR_SETWINDOWEXTEX:
        case emf::EMR_SETVIEWPORTEXTEX:
            if (record.size() >= 16 && Scalable() && field(8) != 0 && field(12) != 0) {
                if (type == emf::EMR_SETWINDOWEXTEX) {
                    page_.windowExtX = field(8);
                    page_.windowExtY = field(12);
                } else {
                    page_.viewportExtX = field(8);
                    page_.viewportExtY = field(12);
                }
                FixIsotropic();
                WritePageTransform();
            }
            return;
        case emf::EMR_SCALEWINDOWEXTEX:
        case emf::EMR_SCALEVIEWPORTEXTEX:
            if (record.size() >= 24 && Scalable() && field(8) != 0 && field(12) != 0 &&
                field(16) != 0 && field(20) != 0) {
                double& x =
                    type == emf::EMR_SCALEWINDOWEXTEX ? page_.windowExtX : page_.viewportExtX;
                double& y =
                    type == emf::EMR_SCALEWINDOWEXTEX ? page_.windowExtY : page_.viewportExtY;
                x = std::trunc(x * field(8) / field(12));
                y = std::trunc(y * field(16) / field(20));
                if (x == 0 || y == 0) {
                    x = x == 0 ? 1 : x;
                    y = y == 0 ? 1 : y;
                }
                FixIsotropic();
                WritePageTransform();
            }
            return;
        case emf::EMR_SETWINDOWORGEX:
        case emf::EMR_SETVIEWPORTORGEX:
            if (record.size() >= 16) {
                if (type == emf::EMR_SETWINDOWORGEX) {
                    page_.windowOrgX = field(8);
                    page_.windowOrgY = field(12);
                } else {
                    page_.viewportOrgX = field(8);
                    page_.viewportOrgY = field(12);
                }
                WritePageTransform();
            }
            return;
        case emf::EMR_SAVEDC:
            write_(record);
            saved_.push_back(page_);
            return;
        case emf::EMR_RESTOREDC:
            RestoreDC(record);
            return;
        case emf::EMR_SELECTOBJECT:
        case emf::EMR_SELECTPALETTE:
        case emf::EMR_SETPALETTEENTRIES:
        case emf::EMR_RESIZEPALETTE:
        case emf::EMR_SETCOLORSPACE:
            WithObject(record, 8);
            return;
        case emf::EMR_DELETEOBJECT:
        case emf::EMR_DELETECOLORSPACE:
            if (record.size() >= 12)
                Delete(uint32_t(field(8)));
            return;
        case emf::EMR_CREATEPEN:
        case emf::EMR_CREATEBRUSHINDIRECT:
        case emf::EMR_EXTCREATEFONTINDIRECTW:
        case emf::EMR_CREATEMONOBRUSH:
        case emf::EMR_CREATEDIBPATTERNBRUSHPT:
        case emf::EMR_EXTCREATEPEN:
        case emf::EMR_CREATEPALETTE:
        case emf::EMR_CREATECOLORSPACE:
        case emf::EMR_CREATECOLORSPACEW:
            Create(record);
            return;
        case emf::EMR_FILLRGN:
        case emf::EMR_FRAMERGN:
            WithObject(record, 28);
            return;
        case emf::EMR_EXTSELECTCLIPRGN:
            SelectClipRegion(record);
            return;
        case emf::EMR_GDICOMMENT:
            if (record.size() >= 16 && uint32_t(field(12)) == emf::kCommentEmfPlus)
                return;
            write_(record);
            return;
        default:
            write_(record);
            return;
        }
    }

    TEmfHeader header_;
    TEmfHandleTable& handles_;
    TEmfRecordBuilder& builder_;
    const std::function<void(std::span<const uint8_t>)>& write_;
    double scaleX_ = 1, scaleY_ = 1, offsetX_ = 0, offsetY_ = 0;
    TPageState page_;
    std::vector<TPageState> saved_;
    std::map<uint32_t, uint32_t> objects_; // inner index -> outer index
};
} // namespace

bool EmbedMetafile(std::span<const uint8_t> emf, const TRect& target, TEmfHandleTable& handles,
                   TEmfRecordBuilder& builder,
                   const std::function<void(std::span<const uint8_t>)>& write)
{
    if (target.IsEmpty())
        return false;
    TEmfHeader header;
    try {
        header = TMetafile::ParseHeader(emf, emf.size());
    } catch (const EInvalidGraphic&) {
        return false;
    }
    // Without a frame, a picture is laid out by its bounds; without either, there is nothing to
    // lay out.
    const QRectF frame = FrameInDeviceUnits(header);
    const bool framed = frame.width() > 0 && frame.height() > 0;
    const bool bounded =
        header.boundsRight >= header.boundsLeft && header.boundsBottom >= header.boundsTop;
    if (!framed && !bounded)
        return false;
    const QTransform frameToTarget =
        DeviceToTarget(header, QRectF(target.Left, target.Top, target.Width(), target.Height()));
    TEmbedder(header, frameToTarget, handles, builder, write).Run(emf);
    return true;
}
