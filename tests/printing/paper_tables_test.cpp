// The code tables, the paper catalogue's columns and the device-unit conversion.
#include "printing/code_tables.h"
#include "printing/device_units.h"
#include "printing/paper_catalogue.h"
#include "printing/printer_orientation.h"
#include "printing/qr_printer_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(PaperCatalogue, DerivedColumnsAreTheTabulatedOnes)
{
    // Ordinal order, Letter to ESheet: 4 mm units, then tenths of a millimetre.
    const int expected[26][4] = {
        { 53, 69, 2159, 2794 },  { 53, 69, 2159, 2794 },  { 69, 107, 2794, 4318 },
        { 107, 69, 4318, 2794 }, { 53, 88, 2159, 3556 },  { 34, 53, 1397, 2159 },
        { 47, 63, 1905, 2540 },  { 74, 105, 2970, 4200 }, { 52, 74, 2100, 2970 },
        { 52, 74, 2100, 2970 },  { 37, 52, 1480, 2100 },  { 62, 88, 2500, 3540 },
        { 45, 64, 1820, 2570 },  { 53, 82, 2159, 3302 },  { 53, 68, 2150, 2750 },
        { 63, 88, 2540, 3556 },  { 69, 107, 2794, 4318 }, { 53, 69, 2159, 2790 },
        { 24, 56, 984, 2254 },   { 26, 60, 1048, 2413 },  { 28, 65, 1143, 2635 },
        { 25, 69, 1016, 2794 },  { 31, 73, 1270, 2921 },  { 25, 25, 1000, 1000 },
        { 25, 25, 1000, 1000 },  { 25, 25, 1000, 1000 },
    };
    const auto& rows = PaperCatalogue();
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(PaperSizeName(rows[i].size));
        EXPECT_EQ(int(rows[i].size), int(i) + 1);
        EXPECT_EQ(rows[i].width4mm, expected[i][0]);
        EXPECT_EQ(rows[i].length4mm, expected[i][1]);
        EXPECT_EQ(rows[i].widthTenths, expected[i][2]);
        EXPECT_EQ(rows[i].lengthTenths, expected[i][3]);
        EXPECT_EQ(PaperCatalogueRow(rows[i].size), &rows[i]);
    }
    EXPECT_EQ(rows[18].widthMM, 98.43L) << "kept in extended precision";
    EXPECT_EQ(PaperCatalogueRow(TQRPaperSize::Default), nullptr);
    EXPECT_EQ(PaperCatalogueRow(TQRPaperSize::Custom), nullptr);
    EXPECT_EQ(PaperCatalogueRow(TQRPaperSize(200)), nullptr);
}

TEST(CodeTables, PaperCodesAreTheOrdinalsWithCustomAsUserSize)
{
    EXPECT_EQ(PaperCode(TQRPaperSize::Default), 0);
    for (int i = 1; i <= 26; ++i)
        EXPECT_EQ(PaperCode(TQRPaperSize(i)), i);
    EXPECT_EQ(PaperCode(TQRPaperSize::Custom), 256);
    EXPECT_EQ(PaperSizeForCode(0), TQRPaperSize::Default);
    EXPECT_EQ(PaperSizeForCode(0, TQRPaperSize::Letter), std::nullopt);
    EXPECT_EQ(PaperSizeForCode(256), TQRPaperSize::Custom);
    EXPECT_EQ(PaperSizeForCode(27), std::nullopt);
}

TEST(CodeTables, BinCodesTurnBackIntoTheLowerOrdinal)
{
    const int codes[] = { 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14 };
    for (int i = 0; i < kBinCount; ++i)
        EXPECT_EQ(BinCode(TQRBin(i)), codes[i]) << BinName(TQRBin(i));
    EXPECT_EQ(BinForCode(1), TQRBin::First);
    EXPECT_EQ(BinForCode(14), TQRBin::Cassette);
    EXPECT_EQ(BinForCode(12), std::nullopt);
    EXPECT_EQ(BinForCode(13), std::nullopt);
    EXPECT_EQ(BinForCode(15), std::nullopt);
}

TEST(CodeTables, NamesAreTheMemberNames)
{
    EXPECT_STREQ(PaperSizeName(TQRPaperSize::qr10X14), "qr10X14");
    EXPECT_STREQ(PaperSizeName(TQRPaperSize::A4Small), "A4Small");
    EXPECT_STREQ(PaperSizeName(TQRPaperSize::Custom), "Custom");
    EXPECT_STREQ(PaperSizeName(TQRPaperSize(28)), "?");
    EXPECT_STREQ(BinName(TQRBin::LargeCapacity), "LargeCapacity");
    EXPECT_STREQ(BinName(TQRBin(14)), "?");
    EXPECT_STREQ(OrientationName(poLandscape), "poLandscape");
}

TEST(DeviceUnits, RoundsTheQuotientToEven)
{
    const struct {
        int32_t pixels, perInch, tenths;
    } cases[] = {
        // At 256 per inch the quotient is exact, so these are true halves.
        { 64, 256, 64 },      { 192, 256, 190 },           { 320, 256, 318 },
        { -64, 256, -64 },    { 600, 600, 254 },           { 167, 1200, 35 },
        { 9921, 1200, 2100 }, { 14031, 1200, 2970 },       { 10, 0, 0 },
        { 10, -300, 0 },      { INT32_MAX, 1, INT32_MAX }, { INT32_MIN, 1, INT32_MIN },
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeviceToTenthsMM(c.pixels, c.perInch), c.tenths)
            << c.pixels << " at " << c.perInch;
}

TEST(QRPrinterSettings, StartsWithTheDesignDefaults)
{
    const TQRPrinterSettings s;
    EXPECT_EQ(s.Copies, 1);
    EXPECT_FALSE(s.Duplex);
    EXPECT_EQ(s.OutputBin, TQRBin::Auto);
    EXPECT_EQ(s.PrinterIndex, -1);
    EXPECT_EQ(s.FirstPage, 0);
    EXPECT_EQ(s.LastPage, 0);
}

} // namespace
