#pragma once

#include <QString>

#include <optional>

class QWidget;

// The Save dialog: a title, one name filter ("Transcript (*.txt)") and a proposed name.
// Returns the chosen path, or nothing when the operator cancelled.
std::optional<QString> askSavePath(QWidget *parent,
                                   const QString &title,
                                   const QString &nameFilter,
                                   const QString &proposed);
