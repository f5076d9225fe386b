#pragma once

#include "text/text_encoding.h"

#include <QString>

// The filter of the Open dialog: text files first, then all files.
inline const QString importFilter = QStringLiteral("ﾃｷｽﾄ(*.txt)|*.txt|すべてのファイル(*.*)|*.*|");

inline const QString importFailureTitle = QStringLiteral("File Error");
// What the operator is told when a chosen file cannot be imported.
QString importFailureMessage(const QString &path, const QString &error);

// The encoding a file was read in, in words for the transcript and standard error:
// "cp932 PATH", with why when --encoding forced it; when the file reads in both encodings,
// both readings of the first line that differs and the switch that takes the other.
QString encodingNote(const QString &path, const TextReading &reading);

// The sign in the window's title after an import that could be either encoding: which file,
// the encoding taken, and how its first differing line reads in the other.
QString encodingSign(const QString &path, const TextReading &reading);
