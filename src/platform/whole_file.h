#pragma once

#include <QByteArray>
#include <QString>

// Writes the bytes as the whole content of the file, replacing what it held: a reader sees
// the old content or the new, never half of it. False, with the reason, when that fails.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error);

// True when the two paths name one file (through links too), as far as can be told before
// either exists.
bool namesSameFile(const QString &first, const QString &second);
