#pragma once

#include "link/spoken_clock.h"
#include "link/status_polls.h"
#include "platform/append_file.h"
#include "text/visible_text.h"
#include "transport/serial_control.h"

#include <QElapsedTimer>
#include <QObject>

// A two-way transcript of the serial line, one record a line, appended to a file and
// flushed record by record so that nothing is lost when the program ends:
//
//   <ms since the port opened> <TAB> <kind> <TAB> <text> <TAB> <bytes in hex>
//
// Kinds: OUT (the console wrote), IN (a receive event), OPEN, CLOSE, OPEN-FAILED, LOST,
// POLL-TIMEOUT (a status poll unanswered for a while: the next goes, the first still waits),
// POLLS-LOST (waiting polls given up after the line stayed quiet), UNSOLICITED (a status reply
// while no poll waited), ENCODING (the encoding a file was read in), and SPOKEN: the time from
// a speak line (MSG or SEL) to the module's idle reply to a poll written after it, the figure
// engineers otherwise measure by hand. Control characters in the text are made visible (CR as
// \r).
class Transcript : public QObject
{
    Q_OBJECT

public:
    explicit Transcript(QObject *parent = nullptr);

    // Opens the file for appending. False when it cannot be written; errorText() tells why.
    bool open(const QString &path);
    QString errorText() const { return errorText_; }
    // False once a record could not be written: the transcript lacks it and all after it.
    // The first failure is reported on standard error.
    bool isComplete() const { return errorText_.isEmpty(); }
    QString path() const { return path_; }
    // Records everything the serial control reports from now on; speak lines are timed
    // against the window's count of polls.
    void follow(SerialControl *serial, const StatusPolls *polls);
    // Takes a status reply of the module and the number of the poll it answers (0: none
    // waited, recorded as UNSOLICITED).
    void noteStatus(const QString &status, quint64 poll);
    // Records an event of the program's own (kind, text).
    void note(const QString &kind, const QString &detail);

signals:
    // Every record as it is formed, whether or not a file is open: the line monitor's feed.
    // ms counts from the latest OPEN; text is as the line carried it, not yet made visible.
    void recorded(double ms, const QString &kind, const QString &text, const QByteArray &bytes);

private:
    void
    onTraffic(SerialControl::Direction direction, const QByteArray &bytes, const QString &text);
    void onPortEvent(const QString &kind, const QString &detail);
    void write(const QString &kind, const QString &text, const QByteArray &bytes = {});

    AppendFile file_;
    QString path_;
    QString errorText_;
    QElapsedTimer sinceOpen_;
    QString pendingLine_;
    SpokenClock clock_;
    const StatusPolls *polls_ = nullptr;
};

// One record as the transcript writes it, without its line end: the time in ms, the kind,
// the text made visible and the bytes in hex, separated by TABs.
QString
transcriptRecord(double ms, const QString &kind, const QString &text, const QByteArray &bytes);
