#include "app/port_listing.h"

#include "platform/device_path.h"
#include "platform/port_inventory.h"

#include <QStringList>

QString portListing()
{
    QString report = QStringLiteral("Port names:\n");
    QStringList reached;
    QList<int> free;
    for (int port = 1; port <= 16; ++port) {
        const QString path = devicePathForPort(port);
        const bool mapped = qEnvironmentVariableIsSet(
            QStringLiteral("PARLINO_COM%1").arg(port).toLatin1().constData());
        const bool exists = deviceExists(path);
        reached.append(path);
        if (!exists && !mapped)
            free.append(port);
        report += QStringLiteral("  COM%1\t%2%3\t%4\n")
                      .arg(port)
                      .arg(path,
                           mapped ? QStringLiteral(" (PARLINO_COM%1)").arg(port) : QString(),
                           exists ? QStringLiteral("present") : QStringLiteral("not present"));
    }

    const QList<SystemPort> devices = systemPorts();
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
            report += QStringLiteral("    to reach it as COM%1: export PARLINO_COM%1=%2\n")
                          .arg(free.takeFirst())
                          .arg(stable);
        }
    }
    return report;
}
