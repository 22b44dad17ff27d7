// TPrinterSettings against a scripted driver: what a capture reads, which writes the settings
// accept, and what an apply leaves in the driver's device mode.
#include "printer/memory_print_system.h"
#include "printer/printer.h"
#include "printing/code_tables.h"
#include "printing/printer_settings.h"
#include "printing/restore_driver_defaults.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

// A 600 x 300 dpi laser printer whose defaults differ from the settings' own.
MemoryPrinter Laser()
{
    MemoryPrinter laser;
    laser.name = "Laser";
    laser.driver = "Laser 5 Series";
    laser.port = "LPT1:";
    laser.driverPath = "/opt/drivers/laser/LASER5.PPD";
    laser.isDefault = true;
    laser.dpiX = 600;
    laser.dpiY = 300;
    laser.margins = QMargins(50, 60, 70, 80);
    laser.paperCodes = { 0, DMPAPER_LETTER, 300, DMPAPER_A4, DMPAPER_A5 };
    laser.defaults = MemoryPrinter::StandardDefaults();
    laser.defaults.dmCopies = 3;
    laser.defaults.dmDefaultSource = DMBIN_LOWER;
    laser.defaults.dmDuplex = DMDUP_VERTICAL;
    return laser;
}

class PrinterSettingsTest : public ::testing::Test {
protected:
    // Adds the laser, changed by edit, as the only printer.
    void Script(const std::function<void(MemoryPrinter&)>& edit = {})
    {
        MemoryPrinter laser = Laser();
        if (edit)
            edit(laser);
        system.AddPrinter(laser);
    }
    void Attach() { settings.SetAttachedPrinter(&printer); }

    // The printer object's device mode block as it is now.
    TDevMode Block()
    {
        std::string device, driver, port;
        TDevModeHandle handle = 0;
        printer.GetPrinter(device, driver, port, handle);
        const TDevMode* view = GlobalLock(handle);
        EXPECT_NE(view, nullptr);
        const TDevMode copy = view ? *view : TDevMode {};
        GlobalUnlock(handle);
        return copy;
    }
    TDevModeHandle Handle()
    {
        std::string device, driver, port;
        TDevModeHandle handle = 0;
        printer.GetPrinter(device, driver, port, handle);
        return handle;
    }
    // What the driver receives: the device mode of a job opened now.
    TDevMode Submitted()
    {
        printer.BeginDoc();
        printer.EndDoc();
        return system.Jobs().back()->devMode;
    }

    MemoryPrintSystem system;
    TPrinter printer { system };
    TPrinterSettings settings;
};

TEST_F(PrinterSettingsTest, StartsAsA4PortraitWithNothingCaptured)
{
    EXPECT_EQ(settings.AttachedPrinter(), nullptr);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(settings.Orientation(), poPortrait);
    EXPECT_EQ(settings.OutputBin(), TQRBin::First);
    EXPECT_EQ(settings.Copies(), 0);
    EXPECT_FALSE(settings.Duplex());
    EXPECT_EQ(settings.SheetWidth(), 2100);
    EXPECT_EQ(settings.SheetLength(), 2970);
    EXPECT_EQ(settings.PrintOffsetLeft(), 0);
    EXPECT_EQ(settings.PixelsPerInchX(), 0);
    EXPECT_FALSE(settings.PaperSizeAvailable(TQRPaperSize::Custom));
}

TEST_F(PrinterSettingsTest, AttachingCapturesTheDriversState)
{
    Script();
    settings.SetOrientation(poLandscape); // refused: nothing attached yet
    Attach();

    EXPECT_EQ(settings.DeviceName(), "Laser");
    EXPECT_EQ(settings.DriverName(), "LASER5.PPD");
    EXPECT_EQ(settings.PortName(), "LPT1:");
    EXPECT_EQ(settings.PixelsPerInchX(), 600);
    EXPECT_EQ(settings.PixelsPerInchY(), 300);
    EXPECT_EQ(settings.Copies(), 3);
    EXPECT_EQ(settings.OutputBin(), TQRBin::Lower);
    EXPECT_TRUE(settings.Duplex());
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(settings.Orientation(), poPortrait) << "never read from the driver";
    // Each offset at its own axis's resolution: 50 px at 600 dpi, 60 px at 300 dpi.
    EXPECT_EQ(settings.PrintOffsetLeft(), 21);
    EXPECT_EQ(settings.PrintOffsetTop(), 51);

    // The driver's own sheet is what Default and Custom fall back on: 4961 x 3508 px.
    ASSERT_TRUE(settings.PaperSizeAvailable(TQRPaperSize::Custom));
    settings.SetPaperSize(TQRPaperSize::Custom);
    EXPECT_EQ(settings.SheetWidth(), 2100);
    EXPECT_EQ(settings.SheetLength(), 2970);

    EXPECT_EQ(GlobalLockCount(Handle()), 0) << "the capture unlocks what it locked";
}

TEST_F(PrinterSettingsTest, CaptureAsksTheDriverInItsOrder)
{
    Script();
    system.ClearLog();
    Attach();
    // The first request for the printer finds no device mode yet and makes the printer set one
    // up, so the capture asks a second time; the resolution comes before the paper list.
    EXPECT_EQ(system.Log(), (std::vector<std::string> { "Printers", "DefaultDevMode Laser",
                                                        "DriverPath Laser", "Metrics Laser",
                                                        "PaperCodes Laser", "PaperCodes Laser" }));
    EXPECT_NE(Handle(), 0u);
}

TEST_F(PrinterSettingsTest, AvailableSizesAreTheListedOnesAndAlwaysCustom)
{
    Script();
    Attach();
    for (int i = 1; i <= int(TQRPaperSize::Custom); ++i) {
        const auto size = TQRPaperSize(i);
        const bool listed = size == TQRPaperSize::Letter || size == TQRPaperSize::A4 ||
                            size == TQRPaperSize::A5 || size == TQRPaperSize::Custom;
        EXPECT_EQ(settings.PaperSizeAvailable(size), listed) << PaperSizeName(size);
    }
    EXPECT_FALSE(settings.PaperSizeAvailable(TQRPaperSize::Default));
}

TEST_F(PrinterSettingsTest, DriverPaperCodeUserListsCustom)
{
    Script([](MemoryPrinter& p) { p.paperCodes = { DMPAPER_USER, 0xFFFF, 27 }; });
    Attach();
    EXPECT_TRUE(settings.PaperSizeAvailable(TQRPaperSize::Custom));
    for (int i = 1; i < int(TQRPaperSize::Custom); ++i)
        EXPECT_FALSE(settings.PaperSizeAvailable(TQRPaperSize(i))) << i;
}

struct CodeCase {
    int16_t code;
    int expected; // ordinal of the captured member
};

class CapturedBin : public PrinterSettingsTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(CapturedBin, TakesTheLowestMemberWithTheSourceCode)
{
    Script([](MemoryPrinter& p) { p.defaults.dmDefaultSource = GetParam().code; });
    Attach();
    EXPECT_EQ(int(settings.OutputBin()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CapturedBin,
    ::testing::Values(CodeCase { 1, int(TQRBin::First) }, CodeCase { 2, int(TQRBin::Lower) },
                      CodeCase { 7, int(TQRBin::Auto) },
                      CodeCase { 11, int(TQRBin::LargeCapacity) },
                      CodeCase { 14, int(TQRBin::Cassette) }, CodeCase { 12, int(TQRBin::First) },
                      CodeCase { 15, int(TQRBin::First) }, CodeCase { 256, int(TQRBin::First) },
                      CodeCase { 0x0107, int(TQRBin::First) },
                      CodeCase { -1, int(TQRBin::First) }));

class CapturedPaper : public PrinterSettingsTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(CapturedPaper, TakesTheMemberWithThePaperCode)
{
    Script([](MemoryPrinter& p) { p.defaults.dmPaperSize = GetParam().code; });
    Attach();
    EXPECT_EQ(int(settings.PaperSize()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Papers, CapturedPaper,
                         ::testing::Values(CodeCase { 1, int(TQRPaperSize::Letter) },
                                           CodeCase { 9, int(TQRPaperSize::A4) },
                                           CodeCase { 26, int(TQRPaperSize::ESheet) },
                                           CodeCase { 256, int(TQRPaperSize::Custom) },
                                           CodeCase { 27, int(TQRPaperSize::Default) },
                                           CodeCase { 257, int(TQRPaperSize::Default) },
                                           CodeCase { 0, int(TQRPaperSize::Default) },
                                           CodeCase { -9, int(TQRPaperSize::Default) }));

// A driver that leaves one field out of dmFields: the capture falls back for it, its setter
// refuses writes, and an apply still writes copies, bin and orientation.
struct MissingField {
    uint32_t field;
    const char* name;
};

class DriverWithoutField : public PrinterSettingsTest,
                           public ::testing::WithParamInterface<MissingField> {};

TEST_P(DriverWithoutField, FallsBackAndRefusesWritesUntilTheFirstApply)
{
    Script([](MemoryPrinter& p) { p.defaults.dmFields &= ~GetParam().field; });
    Attach();
    const uint32_t field = GetParam().field;
    EXPECT_FALSE(settings.SupportsField(int32_t(field)));

    settings.SetCopies(5);
    settings.SetOutputBin(TQRBin::Manual);
    settings.SetOrientation(poLandscape);
    EXPECT_EQ(settings.Copies(), field == DM_COPIES ? 1 : 5);
    EXPECT_EQ(settings.OutputBin(), field == DM_DEFAULTSOURCE ? TQRBin::First : TQRBin::Manual);
    EXPECT_EQ(settings.Orientation(), field == DM_ORIENTATION ? poPortrait : poLandscape);
    if (field == DM_DUPLEX) {
        EXPECT_FALSE(settings.Duplex()) << "the driver's dmDuplex 2 does not count";
    }
    if (field == DM_PAPERSIZE) {
        EXPECT_EQ(settings.PaperSize(), TQRPaperSize::Default);
    }

    settings.ApplyToDriver();
    const TDevMode block = Block();
    EXPECT_TRUE(settings.SupportsField(DM_COPIES | DM_DEFAULTSOURCE | DM_ORIENTATION));
    if (field == DM_ORIENTATION) {
        EXPECT_EQ(block.dmOrientation, DMORIENT_PORTRAIT);
    }
    if (field == DM_PAPERSIZE) {
        EXPECT_FALSE(block.dmFields & DM_PAPERSIZE) << "written only where supported";
    }

    // From the apply on, the bits are set and the writes are taken.
    settings.SetCopies(7);
    settings.SetOutputBin(TQRBin::Tractor);
    settings.SetOrientation(poLandscape);
    EXPECT_EQ(settings.Copies(), 7);
    EXPECT_EQ(settings.OutputBin(), TQRBin::Tractor);
    EXPECT_EQ(settings.Orientation(), poLandscape);
}

INSTANTIATE_TEST_SUITE_P(Fields, DriverWithoutField,
                         ::testing::Values(MissingField { DM_COPIES, "copies" },
                                           MissingField { DM_DEFAULTSOURCE, "source" },
                                           MissingField { DM_ORIENTATION, "orientation" },
                                           MissingField { DM_DUPLEX, "duplex" },
                                           MissingField { DM_PAPERSIZE, "paper" }),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrinterSettingsTest, WithoutAPrinterOnlyDefaultPaperIsAccepted)
{
    settings.SetCopies(4);
    settings.SetOutputBin(TQRBin::Manual);
    settings.SetOrientation(poLandscape);
    settings.SetPaperSize(TQRPaperSize::Letter);
    settings.SetPaperSize(TQRPaperSize::Custom);
    settings.SetSheetWidth(1234);
    EXPECT_EQ(settings.Copies(), 0);
    EXPECT_EQ(settings.OutputBin(), TQRBin::First);
    EXPECT_EQ(settings.Orientation(), poPortrait);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(settings.SheetWidth(), 2100);
    EXPECT_FALSE(settings.SupportsField(0));

    settings.SetPaperSize(TQRPaperSize::Default);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::Default);
    EXPECT_EQ(settings.SheetWidth(), 0);
    EXPECT_EQ(settings.SheetLength(), 0);
    settings.SetPaperSize(TQRPaperSize::A4);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::Default) << "A4 is not listed by any driver";
}

TEST_F(PrinterSettingsTest, AttachingWithoutPrintersCapturesNothing)
{
    system.ClearLog();
    Attach();
    EXPECT_EQ(settings.AttachedPrinter(), &printer);
    EXPECT_EQ(system.Log(), std::vector<std::string> { "Printers" });
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    EXPECT_FALSE(settings.SupportsField(DM_COPIES));
}

TEST_F(PrinterSettingsTest, PaperSizeWritesNeedTheDriverToListTheSize)
{
    Script();
    Attach();
    const struct {
        TQRPaperSize size;
        TQRPaperSize result;
    } cases[] = {
        { TQRPaperSize::Letter, TQRPaperSize::Letter },
        { TQRPaperSize::A3, TQRPaperSize::Letter },
        { TQRPaperSize::Custom, TQRPaperSize::Custom },
        { TQRPaperSize::Default, TQRPaperSize::Default },
        { TQRPaperSize(28), TQRPaperSize::Default },
        { TQRPaperSize(255), TQRPaperSize::Default },
        { TQRPaperSize::A5, TQRPaperSize::A5 },
    };
    for (const auto& c : cases) {
        settings.SetPaperSize(c.size);
        EXPECT_EQ(settings.PaperSize(), c.result) << int(c.size);
    }
}

TEST_F(PrinterSettingsTest, OutOfRangeEnumerationValuesAreIgnored)
{
    Script();
    Attach();
    settings.SetOutputBin(TQRBin(14));
    settings.SetOrientation(TPrinterOrientation(2));
    EXPECT_EQ(settings.OutputBin(), TQRBin::Lower);
    EXPECT_EQ(settings.Orientation(), poPortrait);
}

TEST_F(PrinterSettingsTest, SheetSizeFollowsThePaperSize)
{
    Script();
    Attach();
    settings.SetPaperSize(TQRPaperSize::Letter);
    EXPECT_EQ(settings.SheetWidth(), 2159);
    EXPECT_EQ(settings.SheetLength(), 2794);
    settings.SetSheetWidth(1000);
    settings.SetSheetLength(1000);
    settings.SetPaperSize(TQRPaperSize::Default);
    EXPECT_EQ(settings.SheetWidth(), 2100) << "writes outside Custom change nothing";
    EXPECT_EQ(settings.SheetLength(), 2970);

    settings.SetPaperSize(TQRPaperSize::Custom);
    settings.SetSheetWidth(1500);
    settings.SetSheetLength(2500);
    EXPECT_EQ(settings.SheetWidth(), 1500);
    EXPECT_EQ(settings.SheetLength(), 2500);
    settings.SetPaperSize(TQRPaperSize::A5);
    EXPECT_EQ(settings.SheetWidth(), 1480);
    settings.SetPaperSize(TQRPaperSize::Default);
    EXPECT_EQ(settings.SheetWidth(), 1500) << "Default shows the stored width too";
}

TEST_F(PrinterSettingsTest, DriverWithoutPageEscapesGivesZeroSheetAndOffsets)
{
    Script([](MemoryPrinter& p) {
        p.printingOffsetEscape = false;
        p.physPageSizeEscape = false;
    });
    Attach();
    EXPECT_EQ(settings.PrintOffsetLeft(), 0);
    EXPECT_EQ(settings.PrintOffsetTop(), 0);
    settings.SetPaperSize(TQRPaperSize::Default);
    EXPECT_EQ(settings.SheetWidth(), 0);
    EXPECT_EQ(settings.SheetLength(), 0);
    EXPECT_EQ(settings.PixelsPerInchX(), 600);
}

TEST_F(PrinterSettingsTest, SupportsFieldNeedsEveryBitOfTheMask)
{
    Script(
        [](MemoryPrinter& p) { p.defaults.dmFields = DM_PAPERLENGTH | DM_COPIES | 0x80000000u; });
    Attach();
    const struct {
        int32_t mask;
        bool supported;
    } cases[] = {
        { int32_t(DM_PAPERLENGTH), true },
        { int32_t(DM_PAPERLENGTH | DM_PAPERWIDTH), false },
        { int32_t(DM_PAPERLENGTH | DM_COPIES), true },
        { 0, true },
        { INT32_MIN, false }, // its bit is set, but a negative mask is never supported
        { -1, false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings.SupportsField(c.mask), c.supported) << std::hex << c.mask;

    settings.MarkField(DM_PAPERWIDTH);
    EXPECT_TRUE(settings.SupportsField(DM_PAPERLENGTH | DM_PAPERWIDTH));
    EXPECT_TRUE(Block().dmFields & DM_PAPERWIDTH) << "marks go into the printer's own block";
}

TEST_F(PrinterSettingsTest, ApplyWritesTheChoicesAndThePrinterKeepsThem)
{
    Script();
    Attach();
    const TDevModeHandle before = Handle();
    settings.SetPaperSize(TQRPaperSize::Letter);
    settings.SetOrientation(poLandscape);
    settings.SetCopies(2);
    settings.SetOutputBin(TQRBin::Cassette);
    settings.ApplyToDriver();

    EXPECT_EQ(Handle(), before) << "the printer kept the edited block";
    EXPECT_EQ(GlobalLockCount(before), 0);
    const TDevMode block = Submitted();
    EXPECT_EQ(block.dmPaperSize, DMPAPER_LETTER);
    EXPECT_EQ(block.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(block.dmCopies, 2);
    EXPECT_EQ(block.dmDefaultSource, DMBIN_CASSETTE);
    EXPECT_EQ(block.dmDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(block.dmPaperWidth, 2100) << "only Custom writes the dimensions";
    EXPECT_EQ(settings.DriverName(), "Laser 5 Series")
        << "the printer object's name after an apply";

    // The device set up afterwards has the new sheet: landscape Letter at 600 x 300 dpi.
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 6600);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 2550);
}

TEST_F(PrinterSettingsTest, ApplyOfCustomWritesTheSupportedDimensions)
{
    const struct {
        uint32_t fields;
        int16_t width, length;
    } cases[] = {
        { DM_PAPERLENGTH | DM_PAPERWIDTH, 1234, 2345 },
        { DM_PAPERLENGTH, 0, 2345 },
        { DM_PAPERWIDTH, 1234, 0 },
        { 0, 0, 0 },
    };
    for (const auto& c : cases) {
        MemoryPrintSystem local;
        MemoryPrinter laser = Laser();
        laser.defaults.dmFields = DM_PAPERSIZE | c.fields;
        laser.defaults.dmPaperWidth = 0;
        laser.defaults.dmPaperLength = 0;
        local.AddPrinter(laser);
        TPrinter localPrinter(local);
        TPrinterSettings s;
        s.SetAttachedPrinter(&localPrinter);
        s.SetPaperSize(TQRPaperSize::Custom);
        s.SetSheetWidth(1234);
        s.SetSheetLength(2345);
        s.ApplyToDriver();
        localPrinter.BeginDoc();
        localPrinter.Abort();
        const TDevMode block = local.Jobs().back()->devMode;
        EXPECT_EQ(block.dmPaperWidth, c.width) << c.fields;
        EXPECT_EQ(block.dmPaperLength, c.length) << c.fields;
        EXPECT_EQ(block.dmPaperSize, DMPAPER_USER);
    }
}

TEST_F(PrinterSettingsTest, DuplexIsWrittenAsHorizontalOrNotAtAll)
{
    const struct {
        uint32_t fields;
        int16_t driverDuplex;
        bool captured;
        int16_t applied;
        bool marked;
    } cases[] = {
        { DM_DUPLEX, DMDUP_VERTICAL, true, DMDUP_HORIZONTAL, true },
        { DM_DUPLEX, DMDUP_HORIZONTAL, true, DMDUP_HORIZONTAL, true },
        { DM_DUPLEX, DMDUP_SIMPLEX, false, DMDUP_SIMPLEX, true },
        { 0, DMDUP_VERTICAL, false, DMDUP_VERTICAL, false },
    };
    for (const auto& c : cases) {
        MemoryPrintSystem local;
        MemoryPrinter laser = Laser();
        laser.defaults.dmFields = (laser.defaults.dmFields & ~DM_DUPLEX) | c.fields;
        laser.defaults.dmDuplex = c.driverDuplex;
        local.AddPrinter(laser);
        TPrinter localPrinter(local);
        TPrinterSettings s;
        s.SetAttachedPrinter(&localPrinter);
        EXPECT_EQ(s.Duplex(), c.captured);
        s.ApplyToDriver();
        localPrinter.BeginDoc();
        localPrinter.Abort();
        const TDevMode block = local.Jobs().back()->devMode;
        EXPECT_EQ(block.dmDuplex, c.applied) << c.driverDuplex;
        EXPECT_EQ(bool(block.dmFields & DM_DUPLEX), c.marked) << c.driverDuplex;
    }
}

TEST_F(PrinterSettingsTest, ApplyKeepsOnlyBit0x100OfTheOldSource)
{
    const struct {
        int16_t old;
        TQRBin bin;
        int16_t written;
    } cases[] = {
        { 0x0101, TQRBin::Auto, 0x0107 },           { 0x0205, TQRBin::Auto, 0x0007 },
        { 0x0307, TQRBin::First, 0x0101 },          { -1, TQRBin::Last, 0x010E },
        { DMBIN_AUTO, TQRBin::Upper, DMBIN_UPPER },
    };
    for (const auto& c : cases) {
        MemoryPrintSystem local;
        MemoryPrinter laser = Laser();
        laser.defaults.dmDefaultSource = c.old;
        local.AddPrinter(laser);
        TPrinter localPrinter(local);
        TPrinterSettings s;
        s.SetAttachedPrinter(&localPrinter);
        s.SetOutputBin(c.bin);
        s.ApplyToDriver();
        localPrinter.BeginDoc();
        localPrinter.Abort();
        EXPECT_EQ(local.Jobs().back()->devMode.dmDefaultSource, c.written) << std::hex << c.old;
    }
}

TEST_F(PrinterSettingsTest, CopiesReachTheDriverAsTheirLow16Bits)
{
    Script();
    Attach();
    const struct {
        int32_t copies;
        int16_t written;
    } cases[] = { { 1, 1 },          { 32767, 32767 }, { 32768, -32768 },
                  { 40000, -25536 }, { 65537, 1 },     { -1, -1 } };
    for (const auto& c : cases) {
        settings.SetCopies(c.copies);
        EXPECT_EQ(settings.Copies(), c.copies);
        settings.ApplyToDriver();
        EXPECT_EQ(Submitted().dmCopies, c.written) << c.copies;
    }
}

TEST_F(PrinterSettingsTest, DefaultPaperIsNotWrittenAndTheDriversSizeStays)
{
    Script([](MemoryPrinter& p) { p.defaults.dmPaperSize = DMPAPER_A5; });
    Attach();
    settings.SetPaperSize(TQRPaperSize::Default);
    settings.ApplyToDriver();
    EXPECT_EQ(Submitted().dmPaperSize, DMPAPER_A5);
}

TEST_F(PrinterSettingsTest, RestoreDriverDefaultsDropsTheEdits)
{
    Script();
    Attach();
    const TDevModeHandle edited = Handle();
    settings.SetCopies(9);
    settings.SetOrientation(poLandscape);
    settings.ApplyToDriver();
    ASSERT_EQ(Block().dmCopies, 9);

    RestoreDriverDefaults(printer);
    EXPECT_FALSE(GlobalIsLive(edited)) << "the old block is released";
    EXPECT_NE(Handle(), edited);
    EXPECT_EQ(Block(), Laser().defaults);
    EXPECT_FALSE(settings.SupportsField(DM_COPIES)) << "the old view is gone, not dangling";
    settings.MarkField(DM_COPIES); // must not touch the released block

    settings.CaptureFromDriver();
    EXPECT_EQ(settings.Copies(), 3);
    EXPECT_EQ(settings.Orientation(), poLandscape) << "a capture keeps the orientation";
}

TEST_F(PrinterSettingsTest, ChangingThePrinterCapturesTheNewDriver)
{
    Script();
    MemoryPrinter inkjet = Laser();
    inkjet.name = "Inkjet";
    inkjet.isDefault = false;
    inkjet.dpiX = inkjet.dpiY = 360;
    inkjet.driverPath.reset();
    inkjet.defaults.dmPaperSize = DMPAPER_LETTER;
    inkjet.defaults.dmDefaultSource = DMBIN_MANUAL;
    system.AddPrinter(inkjet);
    Attach();
    ASSERT_EQ(settings.DeviceName(), "Laser");

    printer.SetPrinterIndex(1);
    RestoreDriverDefaults(printer);
    settings.CaptureFromDriver();
    EXPECT_EQ(settings.DeviceName(), "Inkjet");
    EXPECT_EQ(settings.DriverName(), "Laser 5 Series") << "no driver file: the printer's name";
    EXPECT_EQ(settings.PixelsPerInchX(), 360);
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::Letter);
    EXPECT_EQ(settings.OutputBin(), TQRBin::Manual);
}

TEST_F(PrinterSettingsTest, DriverNameIsTheDriverFilesNameCutAt63)
{
    const struct {
        const char* path;
        std::string name;
    } cases[] = {
        { "/usr/share/ppd/laser.ppd", "laser.ppd" },
        { "C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\3\\PSCRIPT5.DLL", "PSCRIPT5.DLL" },
        { "C:UNIDRV.DLL", "UNIDRV.DLL" },
        { "plain.drv", "plain.drv" },
        { "/drivers/", "" },
    };
    for (const auto& c : cases) {
        MemoryPrintSystem local;
        MemoryPrinter laser = Laser();
        laser.driverPath = c.path;
        local.AddPrinter(laser);
        TPrinter localPrinter(local);
        TPrinterSettings s;
        s.SetAttachedPrinter(&localPrinter);
        EXPECT_EQ(s.DriverName(), c.name) << c.path;
    }
    MemoryPrintSystem local;
    MemoryPrinter laser = Laser();
    laser.driverPath = "/drivers/" + std::string(70, 'x') + ".ppd";
    local.AddPrinter(laser);
    TPrinter localPrinter(local);
    TPrinterSettings s;
    s.SetAttachedPrinter(&localPrinter);
    EXPECT_EQ(s.DriverName(), std::string(63, 'x'));
}

TEST_F(PrinterSettingsTest, ApplyWithoutAPrinterDoesNothing)
{
    settings.ApplyToDriver();
    settings.CaptureFromDriver();
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
}

TEST_F(PrinterSettingsTest, SettingsOutliveTheirPrintersBlockSafely)
{
    Script();
    {
        TPrinter shortLived(system);
        settings.SetAttachedPrinter(&shortLived);
        ASSERT_TRUE(settings.SupportsField(DM_COPIES));
        settings.SetAttachedPrinter(nullptr);
    }
    EXPECT_FALSE(settings.SupportsField(DM_COPIES));
    settings.MarkField(DM_COPIES);
}

} // namespace
