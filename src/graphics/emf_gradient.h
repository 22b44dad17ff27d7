#pragma once
// GRADIENTFILL: rectangles shaded across or down, and triangles shaded between their corners.
class TEmfRecord;
class TEmfRenderer;

// Plays one GRADIENTFILL record; false when it is damaged.
bool PlayGradientFill(TEmfRenderer& renderer, TEmfRecord& record);
