// What the console tells about ports: tooltips of the port list, and why an open failed.
#include "link/port_tooltips.h"
#include "support/pty_pair.h"
#include "support/recorders.h"
#include "transport/open_failure.h"
#include "ui/form1.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
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
    qputenv("PARLINO_COM4", "/dev/zero");
    box->showPopup();
    box->hidePopup();
    EXPECT_EQ(box->itemData(3, Qt::ToolTipRole).toString(),
              QStringLiteral("/dev/zero (not a serial device)"));
    qunsetenv("PARLINO_COM4");
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
    EXPECT_EQ(deviceDescription(QStringLiteral("/dev/ttyUSB0"), known),
              QStringLiteral("Maker USB UART"));
    // The port box's own tooltip: the device of the name it shows, and whether it is open.
    EXPECT_EQ(
        portBoxTooltip("COM4", 4, known, {}),
        QStringLiteral("COM4: /dev/serial/by-id/usb-adapter — USB UART, Maker, 0403:6001, open"));
    EXPECT_EQ(portBoxTooltip("COM5", 4, known, {{5, "/dev/tty-numbered"}}),
              QStringLiteral("COM5: /dev/tty-numbered (not present), closed"));
    EXPECT_EQ(portBoxTooltip("COM4,X", 4, known, {}),
              QStringLiteral("\"COM4,X\" names no port (COM1 to COM16)"));
    qunsetenv("PARLINO_COM4");
}

TEST(OpenFailure, SaysWhatStandsInTheWay)
{
    // The kind of each failure is told with its words.
    OpenFailureCause kind;
    EXPECT_EQ(explainOpenFailure(QStringLiteral("/dev/parlino-none"),
                                 QSerialPort::DeviceNotFoundError,
                                 QStringLiteral("No such file or directory"),
                                 &kind),
              QStringLiteral("/dev/parlino-none: no such device"));
    EXPECT_EQ(kind.kind, OpenFailureKind::NoSuchDevice);

    // A port held by another open: the lock file and its holder are named.
    PtyPair module;
    QSerialPort first;
    first.setPortName(module.terminalPath());
    ASSERT_TRUE(first.open(QIODevice::ReadWrite));
    QSerialPort second;
    second.setPortName(module.terminalPath());
    ASSERT_FALSE(second.open(QIODevice::ReadWrite));
    const QString cause
        = explainOpenFailure(module.terminalPath(), second.error(), second.errorString(), &kind);
    EXPECT_EQ(kind.kind, OpenFailureKind::InUse);
    EXPECT_TRUE(kind.subject.contains(QString::number(QCoreApplication::applicationPid())));
    EXPECT_TRUE(cause.contains(QStringLiteral("in use"))) << cause.toStdString();
    EXPECT_TRUE(cause.contains(QStringLiteral("LCK.."))) << cause.toStdString();
    EXPECT_TRUE(cause.contains(QString::number(QCoreApplication::applicationPid())))
        << cause.toStdString();

    // No access: the group to join, or who can let the user in when only root may.
    ScopedWorkDir work;
    const struct
    {
        const char *group;
        QFile::Permissions mode;
        const char *says;
        OpenFailureKind kind;
    } rows[] = {
        {"dialout",
         QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup,
         "join the group dialout (sudo usermod -aG dialout $USER",
         OpenFailureKind::NoAccess},
        {"dialout",
         QFile::ReadOwner | QFile::WriteOwner,
         "only root may open it (group dialout, mode 600)",
         OpenFailureKind::OnlyRoot},
        {"root",
         QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup,
         "only root may open it (group root, mode 660). A udev rule",
         OpenFailureKind::OnlyRoot},
    };
    const QString device = work.file("ttyX");
    work.write("ttyX", "");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.says);
        ASSERT_TRUE(
            QProcess::execute(QStringLiteral("chgrp"), {QString::fromLatin1(row.group), device})
            == 0);
        ASSERT_TRUE(QFile::setPermissions(device, row.mode));
        EXPECT_TRUE(explainNoAccess(device, &kind).contains(QLatin1String(row.says)))
            << explainNoAccess(device).toStdString();
        EXPECT_EQ(kind.kind, row.kind);
        EXPECT_EQ(kind.subject, QLatin1String(row.group));
    }
    // A device that fails while open: removed, or there but silent.
    EXPECT_EQ(explainDeviceLoss(work.file("gone")),
              work.file("gone") + QStringLiteral(": the device was removed"));
    EXPECT_TRUE(explainDeviceLoss(device).contains(QStringLiteral("stopped answering")));
}

} // namespace
