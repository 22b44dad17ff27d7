#pragma once
// Runs a handler and shows any exception it raises in the standard exception display, so that no
// exception unwinds through the toolkit's frames (signal and slot calls among them).
#include "platform/application.h"

#include <exception>
#include <utility>

template <typename Handler>
void RunGuarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        if (TApplication* app = Application())
            app->ShowException(error);
    } catch (...) {
        if (TApplication* app = Application())
            app->ShowException(std::string("Unknown error"));
    }
}
