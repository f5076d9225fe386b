#include "link/transcript.h"

#include "platform/console_output.h"

namespace {

bool isSpeakLine(const QString &text)
{
    return text.startsWith(QLatin1String("MSG")) || text.startsWith(QLatin1String("SEL"));
}

} // namespace

QString
transcriptRecord(double ms, const QString &kind, const QString &text, const QByteArray &bytes)
{
    return QStringLiteral("%1\t%2\t%3\t%4")
        .arg(ms, 0, 'f', 3)
        .arg(kind, visibleText(text), QString::fromLatin1(bytes.toHex(' ').toUpper()));
}

Transcript::Transcript(QObject *parent)
    : QObject(parent)
{
    sinceOpen_.start();
}

bool Transcript::open(const QString &path)
{
    path_ = path;
    return file_.open(path, &errorText_);
}

void Transcript::follow(SerialControl *serial, const StatusPolls *polls)
{
    polls_ = polls;
    connect(serial, &SerialControl::traffic, this, &Transcript::onTraffic);
    connect(serial, &SerialControl::portEvent, this, &Transcript::onPortEvent);
    connect(serial, &SerialControl::deviceLost, this, [this](const QString &reason) {
        write(QStringLiteral("LOST"), reason);
    });
}

void Transcript::onTraffic(SerialControl::Direction direction,
                           const QByteArray &bytes,
                           const QString &text)
{
    const bool out = direction == SerialControl::Direction::Out;
    write(out ? QStringLiteral("OUT") : QStringLiteral("IN"), text, bytes);
    if (out && isSpeakLine(text)) {
        pendingLine_ = text;
        clock_.start(sinceOpen_.nsecsElapsed(), polls_ ? polls_->mark() : 0);
    }
}

void Transcript::noteStatus(const QString &status, quint64 poll)
{
    if (poll == 0)
        write(QStringLiteral("UNSOLICITED"), status);
    else if (const std::optional<qint64> nsecs
             = clock_.answer(status, poll, sinceOpen_.nsecsElapsed()))
        write(QStringLiteral("SPOKEN"),
              QStringLiteral("%1 ms ").arg(double(*nsecs) / 1e6, 0, 'f', 3) + pendingLine_);
}

void Transcript::note(const QString &kind, const QString &detail)
{
    // A speak line (SEL) the module refused is not timed: it was never spoken.
    if (kind == QLatin1String("REFUSED"))
        clock_.stop();
    write(kind, detail);
}

void Transcript::onPortEvent(const QString &kind, const QString &detail)
{
    if (kind == QLatin1String("OPEN")) {
        sinceOpen_.restart();
        clock_.stop();
    }
    write(kind, detail);
}

void Transcript::write(const QString &kind, const QString &text, const QByteArray &bytes)
{
    const double ms = double(sinceOpen_.nsecsElapsed()) / 1e6;
    emit recorded(ms, kind, text, bytes);
    if (!file_.isOpen())
        return;
    const QString record = transcriptRecord(ms, kind, text, bytes) + u'\n';
    if (!file_.append(record.toUtf8(), &errorText_))
        reportToConsole(QStringLiteral("the transcript %1 cannot be written: %2; "
                                       "the records from here on are lost")
                            .arg(path_, errorText_));
}
