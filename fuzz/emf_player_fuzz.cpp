// Plays arbitrary bytes as an enhanced metafile onto a small picture: once through the header
// check and the frame mapping as pages are drawn, once record by record whatever the header says,
// and once through text extraction.
#include "graphics/emf_player.h"
#include "graphics/emf_text.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

namespace {
void EnsureApplication()
{
    static QGuiApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "emf_player_fuzz";
        static char* argv[] = { name, nullptr };
        return new QGuiApplication(argc, argv);
    }();
    (void)application;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 22))
        return 0;
    EnsureApplication();
    const std::span<const uint8_t> emf(data, size);
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        StretchDrawMetafile(painter, QRectF(0, 0, 48, 48), emf);
    }
    {
        QPainter painter(&image);
        TEmfPlayer player(painter, QTransform::fromScale(0.05, 0.05));
        player.PlayAll(emf);
    }
    ExtractEmfText(emf);
    return 0;
}
