#include "platform/application.h"

#include <QMessageBox>
#include <QMetaObject>

namespace {
TApplication* theApplication = nullptr;
}

TApplication* Application()
{
    return theApplication;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    theApplication = this;
}

TApplication::~TApplication()
{
    theApplication = nullptr;
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(std::string("Unknown error"));
    }
    return false;
}

void TApplication::HandleMessage()
{
    // One pass that blocks while nothing is queued; a window closed inside it is freed by the
    // same pass.
    processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::ProcessMessages()
{
    processEvents(QEventLoop::AllEvents);
}

int TApplication::Run()
{
    if (terminated_)
        return 0;
    return exec();
}

void TApplication::Terminate()
{
    terminated_ = true;
    QMetaObject::invokeMethod(this, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TApplication::ShowException(const std::exception& error)
{
    ShowException(std::string(error.what()));
}

void TApplication::ShowException(const std::string& message)
{
    if (OnShowException) {
        OnShowException(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, applicationDisplayName(), QString::fromStdString(message),
                    QMessageBox::Ok);
    box.exec();
}
