#pragma once
// Pages that can be told apart in a picture: page n is filled with its own colour.
#include <QColor>
#include <cstdint>
#include <vector>

QColor PageColour(int n);
// An A4 page (at 96 pixels per inch) filled with PageColour(n), as metafile bytes.
std::vector<uint8_t> ColouredPage(int n, int widthPx = 794, int heightPx = 1123);
// The page number whose colour the pixel at the image's centre has; 0 for none.
int PageShownIn(const class QImage& image);
