// qrptool render: one page as a PNG picture, or as an SVG or PDF drawing with text kept as text.
#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/page_picture.h"

#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>
#include <cstdio>

namespace qrptool {
namespace {

constexpr int kMaxDpi = 4800;

enum class Format { Png, Svg, Pdf };

Format FormatOf(const std::string& fileName)
{
    const QString name = QString::fromStdString(fileName).toLower();
    if (name.endsWith(QLatin1String(".png")))
        return Format::Png;
    if (name.endsWith(QLatin1String(".svg")))
        return Format::Svg;
    if (name.endsWith(QLatin1String(".pdf")))
        return Format::Pdf;
    throw UsageError("the output file must end in .png, .svg or .pdf: " + fileName);
}

void WritePng(const TMetafile& page, QSizeF inches, double dpi, const std::string& out)
{
    const double fitted = FittingResolution(inches, dpi);
    if (fitted < dpi)
        std::fprintf(stderr,
                     "qrptool render: the page is too large for %g dpi; drawn at %.1f dpi\n", dpi,
                     fitted);
    const QSize pixels(std::max(1, int(std::lround(inches.width() * fitted))),
                       std::max(1, int(std::lround(inches.height() * fitted))));
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull())
        throw InputError("cannot make a picture of " + std::to_string(pixels.width()) + " x " +
                         std::to_string(pixels.height()) + " pixels");
    image.fill(Qt::white);
    const int dotsPerMetre = int(std::lround(fitted / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    {
        QPainter painter(&image);
        DrawPage(painter, page, QSizeF(pixels));
    }
    WriteOutputFile(out, [&](const std::string& temp) {
        QImageWriter writer(QString::fromStdString(temp), "png");
        // Faster than the default level, and barely larger for drawings.
        writer.setQuality(70);
        if (!writer.write(image))
            throw InputError("cannot write " + out + ": " + writer.errorString().toStdString());
    });
}

void WriteSvg(const TMetafile& page, QSizeF inches, double dpi, const std::string& out)
{
    const QSizeF size(inches.width() * dpi, inches.height() * dpi);
    WriteOutputFile(out, [&](const std::string& temp) {
        QSvgGenerator svg;
        svg.setFileName(QString::fromStdString(temp));
        svg.setSize(QSize(int(std::ceil(size.width())), int(std::ceil(size.height()))));
        svg.setViewBox(QRectF(QPointF(0, 0), size));
        svg.setResolution(int(std::lround(dpi)));
        QPainter painter;
        if (!painter.begin(&svg))
            throw InputError("cannot write " + out);
        DrawPage(painter, page, size);
        if (!painter.end())
            throw InputError("cannot write " + out);
    });
}

void WritePdf(const TMetafile& page, QSizeF inches, double dpi, const std::string& out)
{
    WriteOutputFile(out, [&](const std::string& temp) {
        QPdfWriter pdf(QString::fromStdString(temp));
        pdf.setResolution(int(std::lround(dpi)));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw InputError("cannot write " + out);
        DrawPage(painter, page, QSizeF(inches.width() * dpi, inches.height() * dpi));
        if (!painter.end())
            throw InputError("cannot write " + out);
    });
}

int Render(const Arguments& arguments)
{
    Arguments args = arguments;
    const int pageNumber = ParsePositive(TakeOption(args, "--page", "1"), "the page number");
    const int dpi = ParsePositive(TakeOption(args, "--dpi", "96"), "the resolution");
    RejectUnknownOptions(args);
    if (args.size() != 2)
        throw UsageError("needs a report file and an output file");
    if (dpi > kMaxDpi)
        throw UsageError("the resolution must be at most " + std::to_string(kMaxDpi) + " dpi");
    const Format format = FormatOf(args[1]);
    TQRPageList list;
    list.OpenFile(args[0]);
    const auto page = FetchExistingPage(list, args[0], pageNumber);
    const QSizeF inches = PageSizeInches(*page, args[0] + " page " + std::to_string(pageNumber));
    switch (format) {
    case Format::Png:
        WritePng(*page, inches, dpi, args[1]);
        break;
    case Format::Svg:
        WriteSvg(*page, inches, dpi, args[1]);
        break;
    case Format::Pdf:
        WritePdf(*page, inches, dpi, args[1]);
        break;
    }
    return 0;
}

} // namespace

QRPTOOL_COMMAND("render", "REPORT [--page N] [--dpi D] OUT.png|OUT.svg|OUT.pdf", Render);

} // namespace qrptool
