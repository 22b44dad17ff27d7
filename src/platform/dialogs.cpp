#include "platform/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

std::function<bool(TFileDialog&)> TFileDialog::Runner;
std::function<void(const QString&)> ShowMessageRunner;

QStringList NameFiltersOf(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The platform's dialog matches on the patterns in the description's closing parentheses;
        // descriptions that already end with them are shown as they stand.
        const QString tail = QStringLiteral("(") + patterns + QStringLiteral(")");
        result << (parts[i].endsWith(tail) ? parts[i] : parts[i] + QStringLiteral(" ") + tail);
    }
    return result;
}

bool TFileDialog::Execute(QWidget* parent)
{
    if (Runner)
        return Runner(*this);
    QFileDialog dialog(parent, Title);
    dialog.setAcceptMode(DialogKind == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Neither dialog insists on an existing file; the callers decide what a missing one means.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Overwriting is not confirmed, as the save dialogs of this program never asked.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = NameFiltersOf(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().first();
    FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (FilterIndex < 1)
        FilterIndex = 1;
    if (!DefaultExt.isEmpty() && QFileInfo(FileName).suffix().isEmpty())
        FileName += QLatin1Char('.') + DefaultExt;
    return true;
}

void ShowMessage(const QString& text, QWidget* parent)
{
    if (ShowMessageRunner) {
        ShowMessageRunner(text);
        return;
    }
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}
