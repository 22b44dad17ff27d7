#pragma once
// File dialogs and the plain message box, as the windows use them. Filters are written as
// "Description|pattern|Description|pattern"; FilterIndex counts from 1.
#include <QString>
#include <functional>

class QWidget;

struct TFileDialog {
    enum Kind { Open, Save };

    Kind DialogKind = Open;
    QString Title;
    QString Filter;
    int FilterIndex = 1;
    QString DefaultExt;  // appended to a chosen name that has no extension
    QString FileName;    // in: the initial choice; out: the chosen file

    // Runs the dialog modally; false when cancelled.
    bool Execute(QWidget* parent = nullptr);

    // Replaces the real dialog (tests answer it themselves); returns what Execute returns.
    static std::function<bool(TFileDialog&)> Runner;
};

// Converts "Desc|*.a;*.b|Desc2|*.c" into the name filters of the platform's dialog.
QStringList NameFiltersOf(const QString& filter);

// A plain message box with an OK button.
void ShowMessage(const QString& text, QWidget* parent = nullptr);
// Replaces the message box (tests record the text instead).
extern std::function<void(const QString&)> ShowMessageRunner;
