// The viewer: opens saved report files and shows them in the preview window.
#include "app/main_window.h"
#include "platform/application.h"
#include "preview/qr_standard_preview_interface.h"

#include <QIcon>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("qrpview"));
    app.setApplicationDisplayName(QStringLiteral("Varnelle"));
    app.setDesktopFileName(QStringLiteral("qrpview"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("qrpview"), QIcon(QStringLiteral(":/qrpview.svg"))));
    TQRStandardPreviewInterface::Install();
    TOsnovniF mainWindow(app.arguments());
    if (app.Terminated())
        return 0;
    mainWindow.show();
    return app.Run();
}
