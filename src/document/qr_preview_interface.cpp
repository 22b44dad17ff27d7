#include "document/qr_preview_interface.h"

QWidget* TQRPreviewInterface::ShowPreview(TQRPrinter&)
{
    return nullptr;
}

QWidget* TQRPreviewInterface::ShowPreviewModal(TQRPrinter&)
{
    return nullptr;
}

namespace {
std::unique_ptr<TQRPreviewInterface> NewBaseInterface()
{
    return std::make_unique<TQRPreviewInterface>();
}

TQRPreviewInterfaceClass theClass = &NewBaseInterface;
} // namespace

TQRPreviewInterfaceClass PreviewInterfaceClass()
{
    return theClass;
}

void SetPreviewInterfaceClass(TQRPreviewInterfaceClass factoryClass)
{
    theClass = factoryClass ? factoryClass : &NewBaseInterface;
}
