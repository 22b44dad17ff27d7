#pragma once
// The bitmap records: BITBLT, STRETCHBLT, MASKBLT, PLGBLT, SETDIBITSTODEVICE, STRETCHDIBITS,
// ALPHABLEND and TRANSPARENTBLT.
class TEmfRecord;
class TEmfRenderer;

// Plays one bitmap record; false when it is damaged (nothing is drawn then).
bool PlayBitmapRecord(TEmfRenderer& renderer, TEmfRecord& record);
