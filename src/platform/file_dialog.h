#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// The Open dialog, set up as the program's file dialog is: a filter text of description and
// pattern pairs separated by bars ("Text(*.txt)|*.txt|All(*.*)|*.*|"), the entry preselected
// by FilterIndex (from 1), the folder it opens in by InitDir, and the chosen path in FileName
// after ShowOpen.
class CommonDialog
{
public:
    QString Filter;
    int FilterIndex = 1;
    QString FileName;
    // The folder the dialog opens in; empty: the folder it was last left in, else the working
    // folder.
    QString InitDir;

    // Shows the modal Open dialog. Returns false when the operator cancelled.
    bool ShowOpen(QWidget *parent);
};

// The filter text turned into the name filters of Qt's dialog, one per entry. Patterns
// keep their text; "*.*" becomes "*", which matches every file as it does on Windows.
QStringList qtNameFilters(const QString &filter);

// Tests answer the dialog without a window: the handler gets the name filters and the
// preselected one and returns the chosen path, or nothing for cancel. Returns the handler
// installed before; an empty one restores the real dialog.
using OpenDialogHandler = std::function<std::optional<QString>(const QStringList &nameFilters,
                                                               const QString &selected)>;
OpenDialogHandler installOpenDialogHandler(OpenDialogHandler handler);
