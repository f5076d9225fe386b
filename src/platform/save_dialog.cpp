#include "platform/save_dialog.h"

#include <QFileDialog>

std::optional<QString> askSavePath(QWidget *parent,
                                   const QString &title,
                                   const QString &nameFilter,
                                   const QString &proposed)
{
    const QString path = QFileDialog::getSaveFileName(parent, title, proposed, nameFilter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}
