#pragma once
// The application object: the message loop with its single steps, the termination request, and
// the standard exception display. Exceptions that escape an event handler stop in notify and are
// shown there; the application goes on.
#include <QApplication>
#include <exception>
#include <functional>
#include <string>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // Handles one message, waiting idle for one when the queue is empty.
    void HandleMessage();
    // Handles every pending message and returns.
    void ProcessMessages();
    // Runs the message loop until termination is requested.
    int Run();
    // Queues the termination request; the loop ends when it reaches it.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The standard exception display: a message box naming the error.
    void ShowException(const std::exception& error);
    void ShowException(const std::string& message);

    // Replaces the message box (tests record the messages instead of answering a dialog).
    std::function<void(const std::string&)> OnShowException;

private:
    bool terminated_ = false;
};

// The one application object, or null before it exists.
TApplication* Application();
