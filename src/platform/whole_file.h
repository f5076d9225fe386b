#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Writes the bytes as the whole content of the file, replacing what it held: a reader sees
// the old content or the new, never half of it. False, with the reason, when that fails.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error);

// The whole content of a small file, or nothing when it cannot be read.
std::optional<QByteArray> readWholeFile(const QString &path);

// True when the two paths name one file (through links too), as far as can be told before
// either exists.
bool namesSameFile(const QString &first, const QString &second);
