#include "transport/qt_tcp_connection.h"

#include <QTcpSocket>

namespace {

TcpFailure::Kind failureKind(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        return TcpFailure::Kind::HostNotFound;
    case QAbstractSocket::ConnectionRefusedError:
        return TcpFailure::Kind::Refused;
    case QAbstractSocket::RemoteHostClosedError:
        return TcpFailure::Kind::RemoteClosed;
    case QAbstractSocket::UnknownSocketError:
        return TcpFailure::Kind::None;
    default:
        return TcpFailure::Kind::Other;
    }
}

class QtTcpConnection final : public TcpConnection
{
public:
    QtTcpConnection(TcpListener *listener, QObject *parent)
        : socket_(new QTcpSocket(parent))
    {
        QObject::connect(socket_, &QTcpSocket::connected, &listening_, [this, listener] {
            // Each command line goes out at once rather than waiting for more to join it.
            socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            listener->tcpConnected();
        });
        QObject::connect(socket_, &QTcpSocket::readyRead, &listening_, [this, listener] {
            const QByteArray bytes = socket_->readAll();
            if (!bytes.isEmpty())
                listener->tcpReceived(bytes);
        });
        const auto failed = [this, listener] {
            listener->tcpFailed({failureKind(socket_->error()),
                                 socket_->state() == QAbstractSocket::UnconnectedState,
                                 socket_->errorString()});
        };
        QObject::connect(socket_, &QTcpSocket::errorOccurred, &listening_, failed);
        // A close without an error report still ends the connection.
        QObject::connect(socket_, &QTcpSocket::disconnected, &listening_, failed);
    }

    ~QtTcpConnection() override
    {
        // The listener hears no more. What was written still goes out; the socket goes once
        // it has closed, or with its parent.
        QObject::disconnect(socket_, nullptr, &listening_, nullptr);
        QObject::connect(socket_, &QTcpSocket::disconnected, socket_, &QObject::deleteLater);
        socket_->disconnectFromHost();
        if (socket_->state() == QAbstractSocket::UnconnectedState)
            socket_->deleteLater();
    }

    void connectToHost(const QString &host, quint16 port) override
    {
        socket_->connectToHost(host, port);
    }

    void write(const QByteArray &bytes) override { socket_->write(bytes); }

    void flush() override { socket_->flush(); }

    qint64 bytesToWrite() const override { return socket_->bytesToWrite(); }

    bool waitForBytesWritten(int milliseconds) override
    {
        return socket_->waitForBytesWritten(milliseconds);
    }

private:
    QTcpSocket *socket_;
    // The receiver of the socket's signals for the listener: none reach it once this is gone.
    QObject listening_;
};

} // namespace

TcpConnection *makeQtTcpConnection(TcpListener *listener, QObject *parent)
{
    return new QtTcpConnection(listener, parent);
}
