#include "support/report_fixture.h"

#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "support/emf_fixture.h"

#include <cmath>

std::string WriteReport(const QTemporaryDir& dir, const std::string& name,
                        const std::vector<std::vector<uint8_t>>& pages, bool compress)
{
    TQRPageList list;
    list.SetSpoolStream(std::make_unique<TQRStream>(100000));
    list.SetCompression(compress);
    for (const auto& bytes : pages) {
        TMetafile page;
        page.LoadFromBytes(bytes);
        list.AppendPage(page);
    }
    list.StoreHeader();
    const std::string fileName = dir.filePath(QString::fromStdString(name)).toStdString();
    list.CopyToFile(fileName);
    return fileName;
}

std::vector<uint8_t> BlankPage(double widthMm, double heightMm)
{
    return MakeEmf(108, 0, int32_t(std::lround(widthMm * 100)), int32_t(std::lround(heightMm * 100)));
}
