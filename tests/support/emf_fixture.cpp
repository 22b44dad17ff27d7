#include "support/emf_fixture.h"

#include "platform/stream.h"

#include <cassert>

std::vector<uint8_t> MakeEmf(uint32_t size, uint8_t fill, int32_t frameWidth, int32_t frameHeight)
{
    assert(size >= 108 && size % 4 == 0);
    std::vector<uint8_t> emf(size, 0);
    uint8_t* p = emf.data();
    WriteLE32(p + 0, 1);   // EMR_HEADER
    WriteLE32(p + 4, 88);  // base header without extensions
    WriteLE32(p + 16, 100);
    WriteLE32(p + 20, 100);
    WriteLE32(p + 32, uint32_t(frameWidth));
    WriteLE32(p + 36, uint32_t(frameHeight));
    WriteLE32(p + 40, 0x464D4520);
    WriteLE32(p + 44, 0x10000);
    WriteLE32(p + 48, size);
    WriteLE32(p + 52, 3);
    WriteLE16(p + 56, 1);
    WriteLE32(p + 72, 1920);
    WriteLE32(p + 76, 1080);
    WriteLE32(p + 80, 508);
    WriteLE32(p + 84, 286);
    const uint32_t commentSize = size - 88 - 20;
    WriteLE32(p + 88, 70);  // EMR_GDICOMMENT
    WriteLE32(p + 92, commentSize);
    WriteLE32(p + 96, commentSize - 12);
    for (uint32_t i = 100; i < 88 + commentSize; ++i)
        p[i] = fill;
    WriteLE32(p + size - 20, 14);  // EMR_EOF
    WriteLE32(p + size - 16, 20);
    WriteLE32(p + size - 4, 20);
    return emf;
}
