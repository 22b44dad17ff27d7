#pragma once
// Bitmaps as metafiles carry them: a BITMAPINFOHEADER and bottom-up rows of 24-bit BGR or
// 32-bit premultiplied BGRA pixels, each row padded to whole 32-bit words.
#include <QImage>
#include <cstdint>

class TEmfRecordBuilder;

constexpr uint32_t kDibInfoHeaderSize = 40;

// Whether any pixel is less than fully opaque, so that the alpha channel must be kept.
bool HasTransparency(const QImage& image);
// Size of the pixel rows of a width x height DIB at bitCount bits per pixel.
uint64_t DibBitsSize(int width, int height, int bitCount);
// Appends the info header and the rows of image at bitCount (24 or 32) bits per pixel.
void AppendDib(TEmfRecordBuilder& builder, const QImage& image, int bitCount);
