// What the console tells about ports: tooltips of the port list, and why an open failed.
#include "link/port_tooltips.h"
#include "platform/open_failure.h"
#include "support/pty_pair.h"
#include "support/recorders.h"
#include "ui/form1.h"

#include <QComboBox>
#include <QSerialPort>

#include <gtest/gtest.h>

namespace {

TEST(PortTooltips, EntriesNameTheDeviceTheyReach)
{
    ScopedWorkDir work;
    PtyPair module;
    qputenv("PARLINO_COM2", module.terminalPath().toLocal8Bit());
    qputenv("PARLINO_COM3", "/dev/parlino-none");
    Form1 form;
    auto *box = form.findChild<QComboBox *>(QStringLiteral("Combo1"));
    box->showPopup();
    box->hidePopup();
    EXPECT_EQ(box->itemData(1, Qt::ToolTipRole).toString(), module.terminalPath());
    EXPECT_EQ(box->itemData(2, Qt::ToolTipRole).toString(),
              QStringLiteral("/dev/parlino-none (not present)"));
    EXPECT_TRUE(
        box->itemData(15, Qt::ToolTipRole).toString().startsWith(QStringLiteral("/dev/ttyS15")));
    qunsetenv("PARLINO_COM2");
    qunsetenv("PARLINO_COM3");
}

TEST(PortTooltips, KnownDevicesCarryTheirDescription)
{
    qputenv("PARLINO_COM4", "/dev/serial/by-id/usb-adapter");
    const QList<SystemPort> known = {
        {"/dev/ttyUSB0", "USB UART", "Maker", "0403:6001", "A1", "/dev/serial/by-id/usb-adapter"}};
    EXPECT_EQ(portTooltip(4, known),
              QStringLiteral("/dev/serial/by-id/usb-adapter — USB UART, Maker, 0403:6001"));
    qunsetenv("PARLINO_COM4");
}

TEST(OpenFailure, SaysWhatStandsInTheWay)
{
    EXPECT_EQ(explainOpenFailure(QStringLiteral("/dev/parlino-none"),
                                 QSerialPort::DeviceNotFoundError,
                                 QStringLiteral("No such file or directory")),
              QStringLiteral("/dev/parlino-none: no such device"));

    // A port held by another open: the lock file and its holder are named.
    PtyPair module;
    QSerialPort first;
    first.setPortName(module.terminalPath());
    ASSERT_TRUE(first.open(QIODevice::ReadWrite));
    QSerialPort second;
    second.setPortName(module.terminalPath());
    ASSERT_FALSE(second.open(QIODevice::ReadWrite));
    const QString cause
        = explainOpenFailure(module.terminalPath(), second.error(), second.errorString());
    EXPECT_TRUE(cause.contains(QStringLiteral("in use"))) << cause.toStdString();
    EXPECT_TRUE(cause.contains(QStringLiteral("LCK.."))) << cause.toStdString();
    EXPECT_TRUE(cause.contains(QString::number(QCoreApplication::applicationPid())))
        << cause.toStdString();
}

} // namespace
