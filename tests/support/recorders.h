#pragma once

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/program_end.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <optional>

// Records every message box instead of showing it; each box is answered at once, after
// the optional callback has run (tests use it to act while a box is open).
class MessageBoxRecorder
{
public:
    struct Box
    {
        QString prompt;
        int buttons;
        QString title;
        QString details; // the box's detailed text, empty when it has none
        QString cause;   // the lines beneath the message, empty when it has none
    };
    QList<Box> boxes;
    std::function<void(const Box &)> whileOpen;

    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder &) = delete;
    MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;

private:
    MessageBoxHandler previous_;
};

// Answers the Open dialog without a window: with answer (nothing means cancel), and
// records the filters it was shown with.
class OpenDialogAnswerer
{
public:
    std::optional<QString> answer;
    QStringList shownFilters;
    QString shownSelected;
    int shown = 0;

    OpenDialogAnswerer();
    ~OpenDialogAnswerer();
    OpenDialogAnswerer(const OpenDialogAnswerer &) = delete;
    OpenDialogAnswerer &operator=(const OpenDialogAnswerer &) = delete;

private:
    OpenDialogHandler previous_;
};

// Records the end of the program instead of ending the test program.
class EndProgramRecorder
{
public:
    int ended = 0;

    EndProgramRecorder();
    ~EndProgramRecorder();
    EndProgramRecorder(const EndProgramRecorder &) = delete;
    EndProgramRecorder &operator=(const EndProgramRecorder &) = delete;

private:
    std::function<void()> previous_;
};

// A fresh, empty working folder for the time of a test: the current directory moves into it
// and back afterwards, and the user's ports file (PARLINO_PORTS_FILE) is the folder's own.
class ScopedWorkDir
{
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir &) = delete;
    ScopedWorkDir &operator=(const ScopedWorkDir &) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    // Writes the bytes into a file of the folder, making folders on the way.
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    // Copies the program's data folder (presets and icons) in.
    void copyData() const;

private:
    QTemporaryDir dir_;
    QString previous_;
    QByteArray previousPortsFile_;
};
