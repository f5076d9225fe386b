#pragma once

#include <QString>
#include <QStringList>

// Lines of kana for the import and split figures: a few phrases of hiragana, katakana and
// half-width katakana with marks, repeated to the count asked for.
QStringList kanaLines(int count);

// The send box as an import of these lines fills it: "MSG" + line + CR LF for every line.
QString sendTextFromLines(const QStringList &lines);

// Writes the lines to a file in code page 932, each ended by CR LF. False when that fails.
bool writeCp932Lines(const QString &path, const QStringList &lines);

// Writes the lines to a file in UTF-8 without a byte-order mark, each ended by LF.
bool writeUtf8Lines(const QString &path, const QStringList &lines);
