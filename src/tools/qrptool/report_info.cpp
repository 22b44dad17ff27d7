#include "tools/qrptool/report_info.h"

#include "document/qr_printer.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "pagestore/report_header.h"
#include "platform/ole_date.h"

namespace qrptool {

namespace {
std::string Millimetres(int32_t tenths)
{
    const std::string sign = tenths < 0 ? "-" : "";
    const int64_t t = tenths < 0 ? -int64_t(tenths) : tenths;
    return sign + std::to_string(t / 10) + "." + std::to_string(t % 10);
}
} // namespace

std::vector<std::pair<std::string, std::string>> DescribeReport(const std::string& fileName)
{
    TQRPageList list;
    list.OpenFile(fileName);
    TQRStream& stream = *list.SpoolStream();
    uint8_t block[TQRReportHeader::kSize];
    stream.SetPosition(0);
    stream.ReadBuffer(block, TQRReportHeader::kSize);
    const TQRReportHeader header = TQRReportHeader::Decode(block);
    const std::string written = OleDateToIso(header.dateWritten);
    // The paper as the viewer detects it from page 1, on the default printer.
    TQRPrinter document;
    document.LoadFromFile(fileName);
    std::string paper = std::string(PaperSizeName(document.PaperSize())) + " " +
                        (document.Orientation() == poLandscape ? "landscape" : "portrait");
    if (!document.PrintersInstalled())
        paper += " (no printer)";
    return {
        {"file", fileName},
        {"pages", std::to_string(list.PageTotal())},
        {"compression", list.Compression() ? "yes" : "no"},
        {"written", written.empty() ? "unknown" : written},
        {"size", std::to_string(stream.Size()) + " bytes"},
        {"paper", paper},
        {"page size", Millimetres(document.OrientedWidth()) + " x " +
                          Millimetres(document.OrientedLength()) + " mm"},
    };
}

} // namespace qrptool
