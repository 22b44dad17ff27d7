#pragma once
// What every window test needs: the application object of the program, an in-memory print system
// with one printer (so that tests never reach a real spooler), and exception displays recorded
// instead of shown.
#include "platform/application.h"
#include "platform/dialogs.h"
#include "support/memory_printers.h"

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

struct TGuiTestSetup {
    std::unique_ptr<TMemoryPrinters> printers = std::make_unique<TMemoryPrinters>();
    std::vector<std::string> errors;
    QStringList messages;

    TGuiTestSetup()
    {
        printers->AddOffice();
        Application()->OnShowException = [this](const std::string& text) { errors.push_back(text); };
        ShowMessageRunner = [this](const QString& text) { messages << text; };
    }
    ~TGuiTestSetup()
    {
        Application()->OnShowException = nullptr;
        ShowMessageRunner = nullptr;
        TFileDialog::Runner = nullptr;
    }
};

// QTEST_MAIN with the program's own application object.
#define QRP_GUI_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        TApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
