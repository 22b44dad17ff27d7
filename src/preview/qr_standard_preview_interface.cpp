#include "preview/qr_standard_preview_interface.h"

#include "preview/qr_standard_preview.h"

#include <QEventLoop>
#include <QPointer>

QWidget* TQRStandardPreviewInterface::ShowPreview(TQRPrinter& document)
{
    auto* window = new TQRStandardPreview(nullptr, document);
    window->Display();
    return window;
}

QWidget* TQRStandardPreviewInterface::ShowPreviewModal(TQRPrinter& document)
{
    auto* window = new TQRStandardPreview(nullptr, document);
    window->setWindowModality(Qt::ApplicationModal);
    QPointer<TQRStandardPreview> alive(window);
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->Display();
    if (alive)
        loop.exec();
    return window;
}

namespace {
std::unique_ptr<TQRPreviewInterface> NewStandardInterface()
{
    return std::make_unique<TQRStandardPreviewInterface>();
}
} // namespace

void TQRStandardPreviewInterface::Install()
{
    SetPreviewInterfaceClass(&NewStandardInterface);
}
