#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

int ScreenPixelsPerInch()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 96;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96;
    const int dpi = int(std::lround(screen->logicalDotsPerInch()));
    return dpi > 0 ? dpi : 96;
}

double ScreenDevicePixelRatio()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 1.0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}
