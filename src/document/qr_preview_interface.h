#pragma once
// The preview factory: a document shows itself by creating an instance of the factory class held
// application-wide and asking it for a preview window. The base class shows nothing; the
// application installs the standard one at start-up.
#include <memory>

class QWidget;
class TQRPrinter;

class TQRPreviewInterface {
public:
    virtual ~TQRPreviewInterface() = default;
    // Opens a preview window on the document without waiting and returns it (or null).
    virtual QWidget* ShowPreview(TQRPrinter& document);
    // Opens a preview window and returns once the user has closed it; the result serves only as
    // an identity (the window has freed itself by then).
    virtual QWidget* ShowPreviewModal(TQRPrinter& document);
};

// A factory "class": makes a factory instance with no owner.
using TQRPreviewInterfaceClass = std::unique_ptr<TQRPreviewInterface> (*)();

TQRPreviewInterfaceClass PreviewInterfaceClass();
void SetPreviewInterfaceClass(TQRPreviewInterfaceClass factoryClass);
