#include "app/main_window.h"

#include "app/qrp_handler.h"
#include "graphics/font_mapper.h"
#include "platform/application.h"
#include "platform/guarded.h"

#include <QPushButton>

TOsnovniF::TOsnovniF(const QStringList& arguments)
{
    setObjectName(QStringLiteral("OsnovniF"));
    setWindowTitle(QStringLiteral("Varnelle"));
    QFont font(MapFaceName(QStringLiteral("MS Sans Serif")));
    font.setPointSize(8);
    setFont(font);
    // Designed as a 208 x 84 window; this is its client area with an ordinary sizeable border.
    resize(192, 46);
    move(405, 216);

    bOpen = new QPushButton(QStringLiteral("Odpri"), this);
    bOpen->setGeometry(12, 12, 75, 25);
    bOpen->setDefault(true);
    connect(bOpen, &QPushButton::clicked, this, [this] { RunGuarded([this] { bOpenClick(); }); });

    OpenDialog1.DialogKind = TFileDialog::Open;
    OpenDialog1.Filter = QStringLiteral("QR Poročila (*.qrp)|*.qrp|Vse datoteke|*.*");
    OpenDialog1.DefaultExt = QStringLiteral("qrp");

    FormCreate(arguments);
}

void TOsnovniF::FormCreate(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return;
    // Errors are shown here; the program then goes on as if started without an argument.
    RunGuarded([&] {
        TQRPHandler handler;
        handler.SetReportFileName(arguments[1].toStdString());
        handler.PreviewAndWait();
        Application()->Terminate();
    });
}

void TOsnovniF::bOpenClick()
{
    if (!OpenDialog1.Execute(this))
        return;
    TQRPHandler handler;
    handler.SetReportFileName(OpenDialog1.FileName.toStdString());
    handler.PreviewAndWait();
}
