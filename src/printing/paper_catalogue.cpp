#include "printing/paper_catalogue.h"

#include <cmath>

namespace {
TPaperCatalogueRow Row(TQRPaperSize size, long double width, long double length)
{
    return { size,
             width,
             length,
             int32_t(std::trunc(width / 4)),
             int32_t(std::trunc(length / 4)),
             int32_t(std::nearbyintl(width * 10)),
             int32_t(std::nearbyintl(length * 10)) };
}
} // namespace

const std::array<TPaperCatalogueRow, 26>& PaperCatalogue()
{
    using P = TQRPaperSize;
    static const std::array<TPaperCatalogueRow, 26> rows = {
        Row(P::Letter, 215.9L, 279.4L),    Row(P::LetterSmall, 215.9L, 279.4L),
        Row(P::Tabloid, 279.4L, 431.8L),   Row(P::Ledger, 431.8L, 279.4L),
        Row(P::Legal, 215.9L, 355.6L),     Row(P::Statement, 139.7L, 215.9L),
        Row(P::Executive, 190.5L, 254.0L), Row(P::A3, 297.0L, 420.0L),
        Row(P::A4, 210.0L, 297.0L),        Row(P::A4Small, 210.0L, 297.0L),
        Row(P::A5, 148.0L, 210.0L),        Row(P::B4, 250.0L, 354.0L),
        Row(P::B5, 182.0L, 257.0L),        Row(P::Folio, 215.9L, 330.2L),
        Row(P::Quarto, 215.0L, 275.0L),    Row(P::qr10X14, 254.0L, 355.6L),
        Row(P::qr11X17, 279.4L, 431.8L),   Row(P::Note, 215.9L, 279.0L),
        Row(P::Env9, 98.43L, 225.4L),      Row(P::Env10, 104.8L, 241.3L),
        Row(P::Env11, 114.3L, 263.5L),     Row(P::Env12, 101.6L, 279.4L),
        Row(P::Env14, 127.0L, 292.1L),     Row(P::CSheet, 100.0L, 100.0L),
        Row(P::DSheet, 100.0L, 100.0L),    Row(P::ESheet, 100.0L, 100.0L),
    };
    return rows;
}

const TPaperCatalogueRow* PaperCatalogueRow(TQRPaperSize size)
{
    const int ordinal = int(size);
    if (ordinal < int(TQRPaperSize::Letter) || ordinal > int(TQRPaperSize::ESheet))
        return nullptr;
    return &PaperCatalogue()[size_t(ordinal - 1)];
}
