#pragma once

#include <QString>

#include <algorithm>

// Whether a name is a COM port name ("COM1" ... "COM256") of the Windows device namespace.
inline bool isComName(const QString &name)
{
    return name.size() > 3 && name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)
           && std::all_of(name.begin() + 3, name.end(), [](QChar c) { return c.isDigit(); });
}

// The path CreateFile takes for a port: COM10 and above open only as "\\.\COM10", so every COM
// name goes so; any other path (PARLINO_COM<n>) goes as it is.
inline QString nativePathOf(const QString &path)
{
    return isComName(path) ? QStringLiteral("\\\\.\\") + path : path;
}
