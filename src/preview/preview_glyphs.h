#pragma once
// The tool bar's glyphs, drawn as vector shapes on a 16 x 16 grid so that they stay crisp at any
// screen scale.
#include <QIcon>

enum class TPreviewGlyph {
    ZoomToFit,    // 0
    Zoom100,      // 1
    ZoomToWidth,  // 2
    FirstPage,    // 3
    PreviousPage, // 4
    NextPage,     // 5
    LastPage,     // 6
    PrinterSetup, // 7
    Print,        // 8
    LoadReport,   // 9
    SaveReport,   // 10
};

QIcon PreviewGlyph(TPreviewGlyph glyph);
