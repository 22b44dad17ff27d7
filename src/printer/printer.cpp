#include "printer/printer.h"

#include "platform/errors.h"

#include <cmath>
#include <cstring>

TPrinter::TPrinter() : TPrinter(PrintSystem::Instance()) {}

TPrinter::TPrinter(PrintSystem& system) : system_(&system) {}

TPrinter::~TPrinter()
{
    if (job_) {
        try {
            job_->End();
        } catch (...) {
            // A destructor cannot report it; the job is gone either way.
        }
        job_.reset();
    }
    ReleaseDevMode();
}

const std::vector<PrinterInfo>& TPrinter::PrinterList()
{
    if (!printers_) {
        printers_ = system_->Printers();
        names_.clear();
        for (const auto& info : *printers_)
            names_.push_back(info.name);
    }
    return *printers_;
}

const std::vector<std::string>& TPrinter::Printers()
{
    PrinterList();
    return names_;
}

void TPrinter::Refresh()
{
    CheckPrinting(false);
    printers_.reset();
    ReleaseDevMode();
    index_ = -1;
    information_.reset();
}

int TPrinter::DefaultIndex()
{
    const auto& list = PrinterList();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].isDefault)
            return int(i);
    // CUPS may have queues but no default; the first queue stands in for it.
    return list.empty() ? -1 : 0;
}

int TPrinter::PrinterIndex()
{
    if (index_ < 0)
        index_ = DefaultIndex();
    return index_;
}

void TPrinter::SelectIndex(int index)
{
    if (index != index_) {
        ReleaseDevMode();
        index_ = index;
    }
    information_.reset();
}

void TPrinter::SetPrinterIndex(int index)
{
    CheckPrinting(false);
    if (index == -1) {
        SelectIndex(DefaultIndex());
        return;
    }
    if (index < 0 || size_t(index) >= PrinterList().size())
        throw EPrinter("Printer index out of range");
    SelectIndex(index);
}

const PrinterInfo* TPrinter::Selected()
{
    const int index = PrinterIndex();
    return index < 0 ? nullptr : &PrinterList()[size_t(index)];
}

void TPrinter::ReleaseDevMode()
{
    GlobalFreeDevMode(devMode_);
    devMode_ = 0;
}

void TPrinter::EnsureDevMode()
{
    if (devMode_ != 0 && GlobalIsLive(devMode_))
        return;
    devMode_ = 0;
    const PrinterInfo* info = Selected();
    if (!info)
        return;
    if (const auto defaults = system_->DefaultDevMode(info->name))
        devMode_ = GlobalAllocDevMode(*defaults);
}

TDevMode TPrinter::CurrentDevMode()
{
    EnsureDevMode();
    TDevMode copy;
    if (TDevMode* block = GlobalLock(devMode_)) {
        copy = *block;
        GlobalUnlock(devMode_);
    }
    return copy;
}

void TPrinter::GetPrinter(std::string& device, std::string& driver, std::string& port,
                          TDevModeHandle& devMode)
{
    const PrinterInfo* info = Selected();
    if (!info) {
        device.clear();
        driver.clear();
        port.clear();
        devMode = 0;
        return;
    }
    device = info->name;
    driver = info->driver;
    port = info->port;
    if (devMode_ != 0 && !GlobalIsLive(devMode_))
        devMode_ = 0;
    devMode = devMode_;
    if (devMode_ == 0)
        EnsureDevMode();
}

void TPrinter::SetPrinter(const std::string& device, const std::string& /*driver*/,
                          const std::string& port, TDevModeHandle devMode)
{
    CheckPrinting(false);
    const auto& list = PrinterList();
    int found = -1;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].name == device && list[i].port == port) {
            found = int(i);
            break;
        }
    }
    if (found < 0)
        throw EPrinter("Printer selected is not valid");
    index_ = found;
    information_.reset();
    if (devMode != 0 && devMode == devMode_ && GlobalIsLive(devMode))
        return;
    ReleaseDevMode();
    if (devMode != 0 && GlobalIsLive(devMode))
        devMode_ = devMode;
    else
        EnsureDevMode();
}

const DeviceMetrics& TPrinter::Information()
{
    if (job_)
        return job_->Metrics();
    if (!information_) {
        const PrinterInfo* info = Selected();
        information_ = info ? system_->Metrics(info->name, CurrentDevMode()) : DeviceMetrics {};
    }
    return *information_;
}

int TPrinter::GetDeviceCaps(int index)
{
    const DeviceMetrics& m = Information();
    const auto millimetres = [](int pixels, int perInch) {
        return perInch > 0 ? int(std::lround(pixels * 25.4 / perInch)) : 0;
    };
    switch (index) {
    case HORZSIZE:
        return millimetres(m.horzRes, m.logPixelsX);
    case VERTSIZE:
        return millimetres(m.vertRes, m.logPixelsY);
    case HORZRES:
        return m.horzRes;
    case VERTRES:
        return m.vertRes;
    case LOGPIXELSX:
        return m.logPixelsX;
    case LOGPIXELSY:
        return m.logPixelsY;
    case PHYSICALWIDTH:
        return m.physicalWidth;
    case PHYSICALHEIGHT:
        return m.physicalHeight;
    case PHYSICALOFFSETX:
        return m.physicalOffsetX;
    case PHYSICALOFFSETY:
        return m.physicalOffsetY;
    default:
        return 0;
    }
}

int TPrinter::Escape(int escape, int inputSize, const void* input, QPoint* output)
{
    if (!Selected())
        return 0;
    const DeviceMetrics& m = Information();
    switch (escape) {
    case QUERYESCSUPPORT: {
        if (inputSize < 2 || !input)
            return 0;
        int16_t asked = 0;
        std::memcpy(&asked, input, sizeof asked);
        switch (asked) {
        case QUERYESCSUPPORT:
            return 1;
        case GETPHYSPAGESIZE:
            return m.physPageSizeEscape ? 1 : 0;
        case GETPRINTINGOFFSET:
            return m.printingOffsetEscape ? 1 : 0;
        default:
            return 0;
        }
    }
    case GETPHYSPAGESIZE:
        if (!output || !m.physPageSizeEscape)
            return 0;
        *output = QPoint(m.physicalWidth, m.physicalHeight);
        return 1;
    case GETPRINTINGOFFSET:
        if (!output || !m.printingOffsetEscape)
            return 0;
        *output = QPoint(m.physicalOffsetX, m.physicalOffsetY);
        return 1;
    default:
        return 0;
    }
}

int TPrinter::DeviceCapabilities(const std::string& device, const std::string& port, int capability,
                                 std::span<uint16_t> output, const TDevMode* devMode)
{
    if (capability != DC_PAPERS)
        return -1;
    const auto& list = PrinterList();
    bool known = false;
    for (const auto& info : list)
        known = known || (info.name == device && info.port == port);
    if (!known)
        return -1;
    const std::vector<uint16_t> codes = system_->PaperCodes(device, devMode);
    for (size_t i = 0; i < codes.size() && i < output.size(); ++i)
        output[i] = codes[i];
    return int(codes.size());
}

std::optional<std::string> TPrinter::GetPrinterDriverPath(const std::string& device)
{
    return system_->DriverPath(device);
}

void TPrinter::CheckPrinting(bool printing) const
{
    if (printing && !job_)
        throw EPrinter("Printer is not currently printing");
    if (!printing && job_)
        throw EPrinter("Printing in progress");
}

void TPrinter::BeginDoc()
{
    CheckPrinting(false);
    const PrinterInfo* info = Selected();
    if (!info)
        throw EPrinter("There is no default printer currently selected");
    const TDevMode devMode = CurrentDevMode();
    aborted_ = false;
    job_ = system_->StartJob(info->name, devMode, title_);
    pageNumber_ = 1;
}

void TPrinter::NewPage()
{
    CheckPrinting(true);
    job_->NewPage();
    ++pageNumber_;
}

void TPrinter::CloseJob()
{
    job_.reset();
    pageNumber_ = 0;
}

void TPrinter::EndDoc()
{
    CheckPrinting(true);
    try {
        job_->End();
    } catch (...) {
        CloseJob();
        throw;
    }
    CloseJob();
}

void TPrinter::Abort()
{
    CheckPrinting(true);
    try {
        job_->Abort();
    } catch (...) {
        aborted_ = true;
        CloseJob();
        throw;
    }
    aborted_ = true;
    CloseJob();
}

TCanvas& TPrinter::Canvas()
{
    CheckPrinting(true);
    return job_->Canvas();
}

int TPrinter::PageWidth()
{
    return GetDeviceCaps(HORZRES);
}

int TPrinter::PageHeight()
{
    return GetDeviceCaps(VERTRES);
}

TPrinter& Printer()
{
    static std::unique_ptr<TPrinter> printer;
    static uint64_t builtFor = 0;
    if (!printer || builtFor != PrintSystem::InstanceGeneration()) {
        printer.reset();
        printer = std::make_unique<TPrinter>(PrintSystem::Instance());
        builtFor = PrintSystem::InstanceGeneration();
    }
    return *printer;
}
