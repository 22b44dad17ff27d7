#pragma once
// Window messages by number: an event carrying (Msg, WParam, LParam). Posting queues it for the
// receiver (dropped if the receiver is destroyed first, as messages to a destroyed window are);
// sending delivers it at once.
#include <QEvent>
#include <QObject>
#include <cstdint>

constexpr uint32_t WM_USER = 0x0400;

class TMessageEvent : public QEvent {
public:
    TMessageEvent(uint32_t msg, intptr_t wParam, intptr_t lParam)
        : QEvent(EventType()), Msg(msg), WParam(wParam), LParam(lParam)
    {
    }
    static QEvent::Type EventType();

    uint32_t Msg;
    intptr_t WParam;
    intptr_t LParam;
    intptr_t Result = 0;
};

void PostMessage(QObject* receiver, uint32_t msg, intptr_t wParam, intptr_t lParam);
intptr_t SendMessage(QObject* receiver, uint32_t msg, intptr_t wParam, intptr_t lParam);

// The message carried by an event, or null when the event is no window message.
inline TMessageEvent* AsMessage(QEvent* event)
{
    return event->type() == TMessageEvent::EventType() ? static_cast<TMessageEvent*>(event)
                                                       : nullptr;
}
