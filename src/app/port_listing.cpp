#include "app/port_listing.h"

#include "link/port_numbers.h"
#include "link/port_tooltips.h"
#include "transport/device_path.h"
#include "transport/network_port.h"
#include "transport/network_probe.h"
#include "transport/port_inventory.h"

#include <QStringList>

QString portListing()
{
    // Devices plugged in since the last look get their numbers here, as at OPEN.
    const PortNumbers numbers = refreshPortNumbers();
    const QList<SystemPort> devices = systemPorts();
    QString report;
#ifndef Q_OS_WIN
    // The numbers are the user's: the window and every run read the same file. (Windows
    // numbers its ports itself.)
    const QString portsFile = userPortsFile();
    report = portsFile.isEmpty()
                 ? QStringLiteral("COM numbers of the devices seen so far: none, no home folder "
                                  "for the ports file\n\n")
                 : QStringLiteral("COM numbers of the devices seen so far: %1\n\n").arg(portsFile);
#endif
    report += QStringLiteral("Port names:\n");
    QStringList reached;
    QList<int> free;
    for (int port = 1; port <= 16; ++port) {
        const QString path = devicePathForPort(port, numbers);
        const QByteArray variable = QStringLiteral("PARLINO_COM%1").arg(port).toLatin1();
        // An empty variable names no device: the port keeps its own.
        const bool mapped = !qEnvironmentVariableIsEmpty(variable.constData());
        const bool emptyVariable = !mapped && qEnvironmentVariableIsSet(variable.constData());
        const DeviceState state = deviceState(path);
        reached.append(path);
        if (state == DeviceState::Missing && !mapped && !numbers.contains(port))
            free.append(port);
        QString note;
        if (mapped)
            note = QStringLiteral(" (%1)").arg(QLatin1String(variable));
        else if (emptyVariable)
            note = QStringLiteral(" (%1 is empty and ignored)").arg(QLatin1String(variable));
        else if (numbers.contains(port))
            note = QStringLiteral(" (parlino_ports.txt)");
        const QString description = deviceDescription(path, devices);
        const QString reach = isNetworkPortName(path)        ? networkPortState(path)
                              : state == DeviceState::Serial ? QStringLiteral("present")
                              : state == DeviceState::NotSerial
                                  ? QStringLiteral("not a serial device")
                                  : QStringLiteral("not present");
        report
            += QStringLiteral("  COM%1\t%2%3\t%4%5\n")
                   .arg(port)
                   .arg(path, note, description.isEmpty() ? QString() : description + u'\t', reach);
    }

    report += QStringLiteral("\nSerial devices of this system:\n");
    if (devices.isEmpty())
        report += QStringLiteral("  none found\n");
    for (const SystemPort &device : devices) {
        QStringList details{device.description, device.manufacturer, device.vendorProduct};
        if (!device.serialNumber.isEmpty())
            details.append(QStringLiteral("serial ") + device.serialNumber);
        details.removeAll(QString());
        report
            += QStringLiteral("  %1%2\n")
                   .arg(device.path,
                        details.isEmpty() ? QString() : QStringLiteral("  ") + details.join(u", "));
        if (!device.byIdLink.isEmpty())
            report += QStringLiteral("    by id: %1\n").arg(device.byIdLink);
        const QString stable = device.byIdLink.isEmpty() ? device.path : device.byIdLink;
        const qsizetype as
            = std::max(reached.indexOf(device.path), reached.indexOf(device.byIdLink));
        if (as >= 0) {
            report += QStringLiteral("    reached as COM%1\n").arg(as + 1);
        } else if (!free.isEmpty()) {
            const int port = free.takeFirst();
            report += QStringLiteral("    to reach it as COM%1: %2\n")
                          .arg(port)
                          .arg(mapPortCommand(port, stable));
        }
    }
    report += QStringLiteral(
        "\nModules on the network (PARLINO_COM<n>=NAME): rfc2217://HOST:PORT (the console sets "
        "the line), telnet://HOST:PORT (plain telnet: the server's own line settings hold), "
        "tcp://HOST:PORT (raw bytes)\n");
    return report;
}
