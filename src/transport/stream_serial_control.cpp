#include "transport/stream_serial_control.h"

#include "transport/device_path.h"

const QString &StreamSerialControl::beginOpen()
{
    path_ = devicePathForPort(commPort_);
    decoder_ = cp932::Decoder();
    received_.clear();
    return path_;
}

bool StreamSerialControl::refuseOpen(const QString &cause, const OpenFailureCause &kind)
{
    errorText_ = cause;
    errorCause_ = kind;
    emit portEvent(QStringLiteral("OPEN-FAILED"), errorText_);
    return false;
}

void StreamSerialControl::reportOpened()
{
    errorText_.clear();
    errorCause_ = {};
    emit portEvent(QStringLiteral("OPEN"), path_);
}

void StreamSerialControl::reportClosed()
{
    emit portEvent(QStringLiteral("CLOSE"), path_);
}

QByteArray StreamSerialControl::outgoing(const QString &text)
{
    const QByteArray bytes = cp932::encode(text);
    emit traffic(Direction::Out, bytes, text);
    return bytes;
}

QString StreamSerialControl::Input()
{
    QString text;
    text.swap(received_);
    return text;
}

void StreamSerialControl::receive(const QByteArray &bytes)
{
    const QString text = decoder_.decode(bytes);
    emit traffic(Direction::In, bytes, text);
    if (text.isEmpty())
        return;
    received_ += text;
    commEvent_ = comEvReceive;
    emit OnComm();
}
