#include "support/recording_serial.h"

#include <QTimer>

bool RecordingSerial::setPortOpen(bool open)
{
    if (!open) {
        open_ = false;
        return true;
    }
    if (failOpen)
        return false;
    open_ = true;
    opened.append(commPort_);
    return true;
}

void RecordingSerial::Output(const QString &text)
{
    if (!open_)
        return;
    written.append(text);
    if (onWrite)
        onWrite(text);
}

QString RecordingSerial::Input()
{
    QString text;
    text.swap(waiting_);
    return text;
}

void RecordingSerial::deliver(const QString &text)
{
    waiting_ += text;
    commEvent_ = comEvReceive;
    emit OnComm();
}

void RecordingSerial::raiseEvent(int commEvent)
{
    commEvent_ = commEvent;
    emit OnComm();
}

void RecordingSerial::deliverLater(const QString &text, int milliseconds)
{
    QTimer::singleShot(milliseconds, this, [this, text] { deliver(text); });
}
