// The Windows serial control against parlino-sim reached as COM1 (tools/windows/test maps it
// through Wine's registry): open, write, drain, and the reply as text on the window's thread.
#include "transport/serial_control.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(WindowsSerialControl, WritesDrainsAndReadsTheReply)
{
    const std::unique_ptr<SerialControl> serial = makeSerialControl();
    QStringList events;
    QByteArray received;
    QObject::connect(serial.get(),
                     &SerialControl::portEvent,
                     [&](const QString &kind, const QString &) { events.append(kind); });
    QObject::connect(
        serial.get(),
        &SerialControl::traffic,
        [&](SerialControl::Direction direction, const QByteArray &bytes, const QString &) {
            if (direction == SerialControl::Direction::In)
                received += bytes;
        });
    serial->setCommPort(1);
    ASSERT_TRUE(serial->setPortOpen(true)) << serial->errorText().toStdString();

    serial->Output(QStringLiteral("VER\r"));
    EXPECT_TRUE(serial->drainOutput(2000));
    EXPECT_EQ(serial->bytesToWrite(), 0);

    QString text;
    QEventLoop loop;
    QObject::connect(serial.get(), &SerialControl::OnComm, &loop, [&] {
        EXPECT_EQ(serial->CommEvent(), SerialControl::comEvReceive);
        text += serial->Input();
        if (text.endsWith(u'\r'))
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(text, QStringLiteral("ver 1.00\r"));
    EXPECT_EQ(received, QByteArray("ver 1.00\r"));

    serial->setPortOpen(false);
    EXPECT_FALSE(serial->PortOpen());
    // Closed: a write does nothing, nothing waits to go out, nothing can be drained.
    serial->Output(QStringLiteral("STT\r"));
    EXPECT_EQ(serial->bytesToWrite(), 0);
    EXPECT_FALSE(serial->drainOutput(100));
    EXPECT_EQ(events, QStringList({QStringLiteral("OPEN"), QStringLiteral("CLOSE")}));
}

} // namespace
