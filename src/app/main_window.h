#pragma once
// The main window: one button that opens a report file in its preview. Started with a report file
// as the first argument, the program opens that file instead and ends when its preview closes.
#include "platform/dialogs.h"

#include <QStringList>
#include <QWidget>

class QPushButton;

class TOsnovniF : public QWidget {
    Q_OBJECT
public:
    // Runs the command-line path (FormCreate) before the window is first shown.
    explicit TOsnovniF(const QStringList& arguments);

    void FormCreate(const QStringList& arguments);
    void bOpenClick();

    QPushButton* bOpen;
    TFileDialog OpenDialog1;
};
