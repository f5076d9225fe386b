#pragma once

#include <QFile>
#include <QString>

// A file that records are appended to, each flushed at once, so that nothing is lost when
// the program ends.
class AppendFile
{
public:
    // Opens the file for appending, creating it. False, with the reason, when it cannot.
    bool open(const QString &path, QString *error);
    bool isOpen() const { return file_.isOpen(); }
    // Appends the bytes and flushes them. False, with the reason, when they did not all
    // reach the file (a full disk shows only here).
    bool append(const QByteArray &bytes, QString *error);

private:
    QFile file_;
};
