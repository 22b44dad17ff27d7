#include "bench_reports.h"

#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"

#include <QString>
#include <QTemporaryDir>
#include <map>

namespace {
// An A4 page at 96 dpi: 60 lines of 10 columns with grid lines, as a listing page looks.
TMetafile DensePage()
{
    TMetafile page;
    page.SetWidth(794);
    page.SetHeight(1123);
    TMetafileCanvas canvas(page);
    canvas.Font.Name = "Arial";
    canvas.Font.SetSize(8);
    for (int row = 0; row < 60; ++row) {
        const int y = 60 + row * 17;
        canvas.MoveTo(40, y + 15);
        canvas.LineTo(754, y + 15);
        for (int col = 0; col < 10; ++col)
            canvas.TextOut(44 + col * 71, y, QString::number(row * 10 + col + 1000.25, 'f', 2));
    }
    canvas.Finish();
    return page;
}
} // namespace

const std::string& BenchReport(int pages)
{
    static QTemporaryDir dir;
    static std::map<int, std::string> names;
    std::string& name = names[pages];
    if (name.empty()) {
        name = dir.filePath(QString("bench%1.qrp").arg(pages)).toStdString();
        const TMetafile page = DensePage();
        TQRPageList list;
        list.SetSpoolStream(std::make_unique<TQRStream>(100000));
        list.SetCompression(true);
        for (int i = 0; i < pages; ++i)
            list.AppendPage(page);
        list.StoreHeader();
        list.CopyToFile(name);
    }
    return name;
}
