#include "platform/window_message.h"

#include <QCoreApplication>

QEvent::Type TMessageEvent::EventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void PostMessage(QObject* receiver, uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    if (receiver)
        QCoreApplication::postEvent(receiver, new TMessageEvent(msg, wParam, lParam));
}

intptr_t SendMessage(QObject* receiver, uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    if (!receiver)
        return 0;
    TMessageEvent event(msg, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &event);
    return event.Result;
}
