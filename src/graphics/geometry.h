#pragma once
// Integer device-pixel geometry as the canvas takes it. A rectangle's right and bottom edges are
// exclusive, so Right - Left is its width.
#include <cstdint>

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    // Clamped to the int range for rectangles wider than it.
    int Width() const { return Clamp(int64_t(Right) - Left); }
    int Height() const { return Clamp(int64_t(Bottom) - Top); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;

private:
    static int Clamp(int64_t v)
    {
        return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : int(v));
    }
};

inline TPoint Point(int x, int y)
{
    return TPoint { x, y };
}
inline TRect Rect(int left, int top, int right, int bottom)
{
    return TRect { left, top, right, bottom };
}
