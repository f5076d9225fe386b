// Tooltips of the port box and its entries: the device each name reaches and, when the system
// knows it, its description. Asking the system for its serial devices takes tens of
// milliseconds, so it is done when the list opens or the tooltip is asked for, not at
// start-up.
#include "link/port_tooltips.h"

#include "link/port_names.h"
#include "link/port_numbers.h"
#include "transport/device_path.h"
#include "transport/network_port.h"
#include "transport/port_inventory.h"
#include "ui/form1.h"

namespace {

const SystemPort *knownDevice(const QString &path, const QList<SystemPort> &known)
{
    for (const SystemPort &device : known) {
        if (device.path == path || (!device.byIdLink.isEmpty() && device.byIdLink == path))
            return &device;
    }
    return nullptr;
}

} // namespace

QString deviceDescription(const QString &path, const QList<SystemPort> &known)
{
    const SystemPort *device = knownDevice(path, known);
    if (!device)
        return QString();
    // The model often repeats the maker ("FTDI FT232R" from "FTDI"); it is said once.
    if (device->description.startsWith(device->manufacturer))
        return device->description;
    QStringList words{device->manufacturer, device->description};
    words.removeAll(QString());
    return words.join(u' ');
}

QString portTooltip(int port, const QList<SystemPort> &known, const QMap<int, QString> &numbered)
{
    const QString path = devicePathForPort(port, numbered);
    // A server is not asked while the list is open; --list-ports tells whether it answers.
    if (isNetworkPortName(path))
        return path + QStringLiteral(" (network)");
    if (const SystemPort *device = knownDevice(path, known)) {
        QStringList details{device->description, device->manufacturer, device->vendorProduct};
        details.removeAll(QString());
        return details.isEmpty() ? path : path + QStringLiteral(" — ") + details.join(u", ");
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

QString portTooltip(int port, const QList<SystemPort> &known)
{
    return portTooltip(port, known, refreshPortNumbers());
}

QString portBoxTooltip(const QString &shown,
                       int openPort,
                       const QList<SystemPort> &known,
                       const QMap<int, QString> &numbered)
{
    const int port = portNumberOf(shown);
    if (port == 0)
        return QStringLiteral("\"%1\" names no port (COM1 to COM16)").arg(shown);
    return QStringLiteral("%1: %2, %3")
        .arg(shown,
             portTooltip(port, known, numbered),
             port == openPort ? QStringLiteral("open") : QStringLiteral("closed"));
}

void Form1::refreshPortTooltips()
{
    const QList<SystemPort> known = systemPorts();
    const PortNumbers numbers = refreshPortNumbers();
    for (int index = 0; index < ui.Combo1->count(); ++index) {
        if (const int port = portNumberOf(ui.Combo1->itemText(index)))
            ui.Combo1->setItemData(index, portTooltip(port, known, numbers), Qt::ToolTipRole);
    }
}

void Form1::refreshPortBoxTooltip()
{
    ui.Combo1->setToolTip(portBoxTooltip(ui.Combo1->currentText(),
                                         MSComm1->PortOpen() ? openPort_ : 0,
                                         systemPorts(),
                                         refreshPortNumbers()));
}
