#pragma once
// A window stand-in that records the window messages it receives.
#include "platform/window_message.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

struct TLoggedMessage {
    uint32_t msg;
    intptr_t wParam;
    intptr_t lParam;
    bool operator==(const TLoggedMessage&) const = default;
};

class TMessageLog : public QObject {
public:
    std::vector<TLoggedMessage> messages;
    // Runs for each message as it arrives (a generator freeing its document, say).
    std::function<void(const TLoggedMessage&)> onMessage;

protected:
    bool event(QEvent* event) override
    {
        if (TMessageEvent* m = AsMessage(event)) {
            messages.push_back({m->Msg, m->WParam, m->LParam});
            if (onMessage)
                onMessage(messages.back());
            return true;
        }
        return QObject::event(event);
    }
};
