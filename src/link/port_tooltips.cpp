// Tooltips of the port box's entries: the device each name reaches and, when the system
// knows it, its description. Asking the system for its serial devices takes tens of
// milliseconds, so it is done when the list opens, not at start-up.
#include "link/port_tooltips.h"

#include "platform/device_path.h"
#include "platform/network_port.h"
#include "platform/port_inventory.h"
#include "ui/form1.h"

QString portTooltip(int port, const QList<SystemPort> &known)
{
    const QString path = devicePathForPort(port);
    // A server is not asked while the list is open; --list-ports tells whether it answers.
    if (isNetworkPortName(path))
        return path + QStringLiteral(" (network)");
    for (const SystemPort &device : known) {
        if (device.path == path || (!device.byIdLink.isEmpty() && device.byIdLink == path)) {
            QStringList details{device.description, device.manufacturer, device.vendorProduct};
            details.removeAll(QString());
            return details.isEmpty() ? path : path + QStringLiteral(" — ") + details.join(u", ");
        }
    }
    switch (deviceState(path)) {
    case DeviceState::Missing:
        return path + QStringLiteral(" (not present)");
    case DeviceState::NotSerial:
        return path + QStringLiteral(" (not a serial device)");
    case DeviceState::Serial:
        break;
    }
    return path;
}

void Form1::refreshPortTooltips()
{
    const QList<SystemPort> known = systemPorts();
    for (int index = 0; index < ui.Combo1->count(); ++index) {
        const QString name = ui.Combo1->itemText(index);
        if (name.startsWith(QLatin1String("COM")))
            ui.Combo1->setItemData(index, portTooltip(name.mid(3).toInt(), known), Qt::ToolTipRole);
    }
}
