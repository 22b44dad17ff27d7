// qrptool export: every page of a report in one vector PDF, each on a sheet of its own size.
#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/page_picture.h"

#include <QPainter>
#include <QPdfWriter>

namespace qrptool {
namespace {

// Cosmetic lines come out one pixel of a screen wide.
constexpr int kResolution = 96;

int Export(const Arguments& arguments)
{
    Arguments args = arguments;
    RejectUnknownOptions(args);
    if (args.size() != 2)
        throw UsageError("needs a report file and an output PDF file");
    if (!QString::fromStdString(args[1]).endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        throw UsageError("the output file must end in .pdf: " + args[1]);
    TQRPageList list;
    list.OpenFile(args[0]);
    if (list.PageTotal() < 1)
        throw InputError(args[0] + " has no pages");
    WriteOutputFile(args[1], [&](const std::string& temp) {
        QPdfWriter pdf(QString::fromStdString(temp));
        pdf.setResolution(kResolution);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        for (int32_t n = 1; n <= list.PageTotal(); ++n) {
            const auto page = list.FetchPage(n);
            const QSizeF inches = PageSizeInches(*page, args[0] + " page " + std::to_string(n));
            pdf.setPageSize(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch));
            if (n == 1) {
                if (!painter.begin(&pdf))
                    throw InputError("cannot write " + args[1]);
            } else if (!pdf.newPage()) {
                throw InputError("cannot write " + args[1]);
            }
            painter.save();
            DrawPage(painter, *page,
                     QSizeF(inches.width() * kResolution, inches.height() * kResolution));
            painter.restore();
        }
        if (!painter.end())
            throw InputError("cannot write " + args[1]);
    });
    return 0;
}

} // namespace

QRPTOOL_COMMAND("export", "REPORT OUT.pdf", Export);

} // namespace qrptool
