#include "tools/qrptool/report_info.h"

#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "pagestore/report_header.h"
#include "platform/ole_date.h"

namespace qrptool {

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
    return {
        {"file", fileName},
        {"pages", std::to_string(list.PageTotal())},
        {"compression", list.Compression() ? "yes" : "no"},
        {"written", written.empty() ? "unknown" : written},
        {"size", std::to_string(stream.Size()) + " bytes"},
    };
}

} // namespace qrptool
