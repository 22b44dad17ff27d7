#pragma once
// The preview factory installed at start-up: it opens the standard preview window.
#include "document/qr_preview_interface.h"

class TQRStandardPreviewInterface : public TQRPreviewInterface {
public:
    QWidget* ShowPreview(TQRPrinter& document) override;
    QWidget* ShowPreviewModal(TQRPrinter& document) override;

    // Makes this the factory class documents use.
    static void Install();
};
