#pragma once
// Small metafiles built record by record for the player's tests, drawn one device pixel per
// picture pixel onto a white picture.
#include <QImage>
#include <QRect>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

class TEmfTestFile {
public:
    // A picture of width x height pixels of a 96 pixels-per-inch reference device.
    explicit TEmfTestFile(int width = 96, int height = 96);

    // A record of 32-bit fields, with any bytes after them (padded to whole words).
    void Add(uint32_t type, std::initializer_list<int32_t> fields,
             std::span<const uint8_t> extra = {});
    void AddFloats(uint32_t type, std::initializer_list<float> fields, int32_t trailing = -1);
    // Common records.
    void Brush(uint32_t index, uint32_t colorRef); // solid brush, created and selected
    // PATCOPY over the logical rectangle (left, top) - (right, bottom): exactly its pixels.
    void Patch(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void Font(uint32_t index, int32_t height, const std::u16string& face, int32_t escapement = 0);
    void Text(int32_t x, int32_t y, const std::u16string& text, std::vector<int32_t> dx = {},
              uint32_t options = 0, QRect rect = {});

    std::vector<uint8_t> Bytes() const;
    // Plays the whole metafile over a white picture of its own size (no antialiasing).
    QImage Render() const;

private:
    int width_, height_;
    std::vector<uint8_t> records_;
    uint32_t count_ = 0;
};

// Helpers for looking at pictures.
bool Dark(const QImage& image, int x, int y); // clearly not white
QRect InkBox(const QImage& image);            // bounding box of non-white pixels (null if none)
QRgb Pixel(const QImage& image, int x, int y);
// Reads a whole file into bytes (empty when missing).
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// The shared corpus folder, from QRP_SOURCE_DIR (empty when unknown).
std::string SharedDir();
