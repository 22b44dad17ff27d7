#pragma once
// The screen as the page image and the metafile canvas see it.

// Logical pixels per inch of the primary screen; 96 where no GUI runs.
int ScreenPixelsPerInch();
// Device pixels per logical pixel of the primary screen; 1 where no GUI runs.
double ScreenDevicePixelRatio();
