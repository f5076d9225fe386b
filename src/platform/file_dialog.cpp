#include "platform/file_dialog.h"

#include <QFileDialog>

namespace {
OpenDialogHandler &currentHandler()
{
    static OpenDialogHandler handler;
    return handler;
}
} // namespace

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        filters.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

bool CommonDialog::ShowOpen(QWidget *parent)
{
    const QStringList filters = qtNameFilters(Filter);
    const QString selected
        = FilterIndex >= 1 && FilterIndex <= filters.size() ? filters[FilterIndex - 1] : QString();
    std::optional<QString> chosen;
    if (const OpenDialogHandler handler = currentHandler()) {
        chosen = handler(filters, selected);
    } else {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (!InitDir.isEmpty())
            dialog.setDirectory(InitDir);
        // Each entry shows its description alone, "ﾃｷｽﾄ(*.txt)", and filters by its pattern.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(filters);
        if (!selected.isEmpty())
            dialog.selectNameFilter(selected);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}

OpenDialogHandler installOpenDialogHandler(OpenDialogHandler handler)
{
    OpenDialogHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
