// TPrinter over the in-memory print system: printer selection, the device-mode handle, device
// capabilities and escapes, and jobs.
#include "platform/errors.h"
#include "printer/memory_print_system.h"
#include "printer/printer.h"

#include <gtest/gtest.h>

namespace {

MemoryPrinter Scripted(const std::string& name, bool isDefault = false)
{
    MemoryPrinter printer;
    printer.name = name;
    printer.isDefault = isDefault;
    printer.dpiX = 100;
    printer.dpiY = 50;
    printer.margins = QMargins(10, 20, 30, 40);
    return printer;
}

class PrinterTest : public ::testing::Test {
protected:
    TDevModeHandle Handle()
    {
        std::string device, driver, port;
        TDevModeHandle handle = 0;
        printer.GetPrinter(device, driver, port, handle);
        return handle;
    }

    MemoryPrintSystem system;
    TPrinter printer { system };
};

void ExpectPrinterError(const std::function<void()>& call, const std::string& message)
{
    try {
        call();
        ADD_FAILURE() << "no error, expected " << message;
    } catch (const EPrinter& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST_F(PrinterTest, ReadingTheIndexSelectsTheDefaultPrinter)
{
    system.AddPrinter(Scripted("First"));
    system.AddPrinter(Scripted("Second", true));
    EXPECT_EQ(printer.Printers(), (std::vector<std::string> { "First", "Second" }));
    EXPECT_EQ(printer.PrinterIndex(), 1);
    printer.SetPrinterIndex(0);
    EXPECT_EQ(printer.PrinterIndex(), 0);
    printer.SetPrinterIndex(-1);
    EXPECT_EQ(printer.PrinterIndex(), 1);
}

TEST_F(PrinterTest, WithoutADefaultTheFirstPrinterStandsIn)
{
    system.AddPrinter(Scripted("First"));
    system.AddPrinter(Scripted("Second"));
    EXPECT_EQ(printer.PrinterIndex(), 0);
}

TEST_F(PrinterTest, IndexOutsideTheListIsRefused)
{
    system.AddPrinter(Scripted("First"));
    system.AddPrinter(Scripted("Second"));
    printer.SetPrinterIndex(1);
    for (const int index : { -2, 2, 100, INT32_MIN })
        ExpectPrinterError([&] { printer.SetPrinterIndex(index); }, "Printer index out of range");
    EXPECT_EQ(printer.PrinterIndex(), 1) << "a refused index keeps the selection";
}

TEST_F(PrinterTest, WithoutPrintersEverythingAnswersQuietly)
{
    EXPECT_TRUE(printer.Printers().empty());
    EXPECT_EQ(printer.PrinterIndex(), -1);
    printer.SetPrinterIndex(-1);
    ExpectPrinterError([&] { printer.SetPrinterIndex(0); }, "Printer index out of range");
    std::string device = "x", driver = "y", port = "z";
    TDevModeHandle handle = 7;
    printer.GetPrinter(device, driver, port, handle);
    EXPECT_EQ(device + driver + port, "");
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 0);
    EXPECT_EQ(printer.PageWidth(), 0);
    const int16_t escape = GETPRINTINGOFFSET;
    EXPECT_EQ(printer.Escape(QUERYESCSUPPORT, 2, &escape, nullptr), 0);
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_FALSE(printer.Printing());
}

TEST_F(PrinterTest, DeviceModeIsSetUpAtTheFirstRequest)
{
    system.AddPrinter(Scripted("Laser", true));
    std::string device, driver, port;
    TDevModeHandle handle = 0;
    printer.GetPrinter(device, driver, port, handle);
    EXPECT_EQ(device, "Laser");
    EXPECT_EQ(driver, "Memory Printer");
    EXPECT_EQ(port, "MEM:");
    EXPECT_EQ(handle, 0u);
    printer.GetPrinter(device, driver, port, handle);
    ASSERT_NE(handle, 0u);
    const TDevMode* block = GlobalLock(handle);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(*block, MemoryPrinter::StandardDefaults());
    GlobalUnlock(handle);
}

TEST_F(PrinterTest, SetPrinterKeepsReplacesOrRebuildsTheBlock)
{
    system.AddPrinter(Scripted("Laser", true));
    Handle();
    const TDevModeHandle own = Handle();
    GlobalLock(own)->dmCopies = 5;
    GlobalUnlock(own);

    printer.SetPrinter("Laser", "", "MEM:", own);
    EXPECT_EQ(Handle(), own);
    EXPECT_EQ(GlobalLock(own)->dmCopies, 5) << "the same handle keeps the caller's edits";
    GlobalUnlock(own);

    TDevMode mine = MemoryPrinter::StandardDefaults();
    mine.dmCopies = 8;
    const TDevModeHandle other = GlobalAllocDevMode(mine);
    printer.SetPrinter("Laser", "", "MEM:", other);
    EXPECT_EQ(Handle(), other) << "another handle replaces the block";
    EXPECT_FALSE(GlobalIsLive(own)) << "and the old block is released";

    printer.SetPrinter("Laser", "", "MEM:", 0);
    const TDevModeHandle fresh = Handle();
    EXPECT_NE(fresh, other);
    EXPECT_FALSE(GlobalIsLive(other));
    EXPECT_EQ(GlobalLock(fresh)->dmCopies, 1) << "handle 0 builds the driver's defaults";
    GlobalUnlock(fresh);

    printer.SetPrinter("Laser", "", "MEM:", other); // dead: counts as 0
    EXPECT_TRUE(GlobalIsLive(Handle()));
    EXPECT_NE(Handle(), other);

    ExpectPrinterError([&] { printer.SetPrinter("Nobody", "", "MEM:", 0); },
                       "Printer selected is not valid");
    ExpectPrinterError([&] { printer.SetPrinter("Laser", "", "LPT9:", 0); },
                       "Printer selected is not valid");
}

TEST_F(PrinterTest, SelectingAnotherPrinterDropsTheDeviceMode)
{
    system.AddPrinter(Scripted("Laser", true));
    system.AddPrinter(Scripted("Inkjet"));
    Handle();
    const TDevModeHandle laser = Handle();
    printer.SetPrinterIndex(0);
    EXPECT_EQ(Handle(), laser) << "the same printer keeps it";
    printer.SetPrinterIndex(1);
    EXPECT_FALSE(GlobalIsLive(laser));
    EXPECT_EQ(Handle(), 0u);
}

TEST_F(PrinterTest, DeviceCapsDescribeTheSheetOfTheDeviceMode)
{
    system.AddPrinter(Scripted("Laser", true));
    // A4 at 100 x 50 dpi: 827 x 585 px; margins 10, 20, 30, 40.
    EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 100);
    EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSY), 50);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 827);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 585);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 10);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 20);
    EXPECT_EQ(printer.GetDeviceCaps(HORZRES), 787);
    EXPECT_EQ(printer.GetDeviceCaps(VERTRES), 525);
    EXPECT_EQ(printer.PageWidth(), 787);
    EXPECT_EQ(printer.PageHeight(), 525);
    EXPECT_EQ(printer.GetDeviceCaps(HORZSIZE), 200);
    EXPECT_EQ(printer.GetDeviceCaps(12345), 0);

    // Edits reach the device information once they are handed back.
    const TDevModeHandle handle = Handle();
    GlobalLock(handle)->dmOrientation = DMORIENT_LANDSCAPE;
    GlobalUnlock(handle);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 827);
    printer.SetPrinter("Laser", "", "MEM:", handle);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 1169);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALHEIGHT), 413);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 20) << "the margins turn with the sheet";
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), 30);
}

TEST_F(PrinterTest, EscapesAnswerWhatTheDriverSupports)
{
    MemoryPrinter laser = Scripted("Laser", true);
    laser.physPageSizeEscape = false;
    system.AddPrinter(laser);
    const auto query = [&](int16_t escape) {
        return printer.Escape(QUERYESCSUPPORT, sizeof escape, &escape, nullptr);
    };
    EXPECT_EQ(query(GETPRINTINGOFFSET), 1);
    EXPECT_EQ(query(GETPHYSPAGESIZE), 0);
    EXPECT_EQ(query(QUERYESCSUPPORT), 1);
    EXPECT_EQ(query(99), 0);
    const int16_t offset = GETPRINTINGOFFSET;
    EXPECT_EQ(printer.Escape(QUERYESCSUPPORT, 1, &offset, nullptr), 0) << "input too short";
    EXPECT_EQ(printer.Escape(QUERYESCSUPPORT, 2, nullptr, nullptr), 0);

    QPoint point(-1, -1);
    EXPECT_EQ(printer.Escape(GETPRINTINGOFFSET, 0, nullptr, &point), 1);
    EXPECT_EQ(point, QPoint(10, 20));
    point = QPoint(-1, -1);
    EXPECT_EQ(printer.Escape(GETPHYSPAGESIZE, 0, nullptr, &point), 0);
    EXPECT_EQ(point, QPoint(-1, -1));
    EXPECT_EQ(printer.Escape(GETPRINTINGOFFSET, 0, nullptr, nullptr), 0);
}

TEST_F(PrinterTest, PaperListFillsOnlyTheRoomGiven)
{
    MemoryPrinter laser = Scripted("Laser", true);
    laser.paperCodes = { 1, 9, 256 };
    system.AddPrinter(laser);
    EXPECT_EQ(printer.DeviceCapabilities("Laser", "MEM:", DC_PAPERS, {}, nullptr), 3);
    std::vector<uint16_t> two(2, 0);
    EXPECT_EQ(printer.DeviceCapabilities("Laser", "MEM:", DC_PAPERS, two, nullptr), 3);
    EXPECT_EQ(two, (std::vector<uint16_t> { 1, 9 }));
    EXPECT_EQ(printer.DeviceCapabilities("Nobody", "MEM:", DC_PAPERS, {}, nullptr), -1);
    EXPECT_EQ(printer.DeviceCapabilities("Laser", "MEM:", 3, {}, nullptr), -1);
}

TEST_F(PrinterTest, JobRunsWithTheDeviceModeAndTitle)
{
    system.AddPrinter(Scripted("Laser", true));
    const TDevModeHandle handle = (Handle(), Handle());
    GlobalLock(handle)->dmCopies = 3;
    GlobalUnlock(handle);
    printer.SetTitle("Monthly report");
    system.ClearLog();

    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    EXPECT_EQ(printer.PageNumber(), 1);
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 2);
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_FALSE(printer.Aborted());
    EXPECT_EQ(system.Log(),
              (std::vector<std::string> { "StartJob Laser Monthly report", "NewPage", "EndJob" }));
    const auto job = system.Jobs().back();
    EXPECT_EQ(job->title, "Monthly report");
    EXPECT_EQ(job->devMode.dmCopies, 3);
    EXPECT_EQ(job->pages.size(), 2u);
    EXPECT_TRUE(job->ended);
}

TEST_F(PrinterTest, JobCallsOutOfOrderAreRefused)
{
    system.AddPrinter(Scripted("Laser", true));
    for (const auto& call : std::vector<std::function<void()>> {
             [&] { printer.NewPage(); }, [&] { printer.EndDoc(); }, [&] { printer.Abort(); } })
        ExpectPrinterError(call, "Printer is not currently printing");
    printer.BeginDoc();
    ExpectPrinterError([&] { printer.BeginDoc(); }, "Printing in progress");
    ExpectPrinterError([&] { printer.SetPrinterIndex(0); }, "Printing in progress");
    ExpectPrinterError([&] { printer.SetPrinter("Laser", "", "MEM:", 0); }, "Printing in progress");
    printer.Abort();
    EXPECT_TRUE(printer.Aborted());
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(system.Jobs().back()->aborted);
    EXPECT_FALSE(system.Jobs().back()->ended);
}

TEST_F(PrinterTest, RefusedJobLeavesThePrinterIdle)
{
    MemoryPrinter laser = Scripted("Laser", true);
    laser.refuseJobs = true;
    system.AddPrinter(laser);
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_FALSE(printer.Printing());
}

TEST_F(PrinterTest, DuringAJobTheDeviceIsTheJobs)
{
    system.AddPrinter(Scripted("Laser", true));
    const int portraitWidth = printer.PageWidth();
    printer.BeginDoc();
    const TDevModeHandle handle = Handle();
    GlobalLock(handle)->dmOrientation = DMORIENT_LANDSCAPE;
    GlobalUnlock(handle);
    EXPECT_EQ(printer.PageWidth(), portraitWidth);
    printer.EndDoc();
}

TEST_F(PrinterTest, DestroyingAPrinterEndsItsJobAndReleasesItsBlock)
{
    system.AddPrinter(Scripted("Laser", true));
    TDevModeHandle handle = 0;
    {
        TPrinter local(system);
        std::string device, driver, port;
        local.GetPrinter(device, driver, port, handle);
        local.GetPrinter(device, driver, port, handle);
        local.BeginDoc();
    }
    EXPECT_FALSE(GlobalIsLive(handle));
    EXPECT_TRUE(system.Jobs().back()->ended);
}

TEST(ApplicationPrinter, FollowsTheInstalledPrintSystem)
{
    MemoryPrintSystem first;
    first.AddPrinter(Scripted("One", true));
    MemoryPrintSystem second;
    second.AddPrinter(Scripted("Two", true));
    second.AddPrinter(Scripted("Three"));

    PrintSystem& before = PrintSystem::Instance();
    {
        const ScopedPrintSystem installed(first);
        EXPECT_EQ(&Printer().System(), &first);
        EXPECT_EQ(Printer().Printers().size(), 1u);
        {
            const ScopedPrintSystem nested(second);
            EXPECT_EQ(Printer().Printers().size(), 2u);
            EXPECT_EQ(Printer().PrinterIndex(), 0);
        }
        EXPECT_EQ(Printer().Printers(), std::vector<std::string> { "One" });
    }
    EXPECT_EQ(&PrintSystem::Instance(), &before);
    EXPECT_EQ(&Printer().System(), &before);
}

TEST(GlobalMemory, LocksArePairedAndHandlesNeverComeBack)
{
    const TDevModeHandle a = GlobalAllocDevMode({});
    EXPECT_NE(GlobalLock(a), nullptr);
    EXPECT_NE(GlobalLock(a), nullptr);
    EXPECT_EQ(GlobalLockCount(a), 2);
    EXPECT_TRUE(GlobalUnlock(a));
    EXPECT_FALSE(GlobalUnlock(a));
    EXPECT_FALSE(GlobalUnlock(a));
    EXPECT_EQ(GlobalLockCount(a), 0);
    GlobalFreeDevMode(a);
    EXPECT_EQ(GlobalLock(a), nullptr);
    EXPECT_EQ(GlobalLock(0), nullptr);
    const TDevModeHandle b = GlobalAllocDevMode({});
    EXPECT_NE(b, a);
    GlobalFreeDevMode(b);
    GlobalFreeDevMode(b);
}

} // namespace
