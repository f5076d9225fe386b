#include "platform/append_file.h"

bool AppendFile::open(const QString &path, QString *error)
{
    file_.setFileName(path);
    if (file_.open(QIODevice::WriteOnly | QIODevice::Append))
        return true;
    *error = file_.errorString();
    return false;
}

bool AppendFile::append(const QByteArray &bytes, QString *error)
{
    if (file_.write(bytes) == bytes.size() && file_.flush())
        return true;
    *error = file_.errorString();
    // What the failed flush left in the buffer would go out before the next record.
    file_.close();
    return false;
}
