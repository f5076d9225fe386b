#include "transport/device_identity.h"

#include "transport/device_path.h"
#include "transport/network_port.h"

#include <QDir>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include "transport/port_inventory.h"
#endif

#ifndef Q_OS_WIN
namespace {

bool inByIdFolder(const QString &path)
{
    const QFileInfo name(path);
    return QDir::cleanPath(name.absolutePath())
           == QDir::cleanPath(QFileInfo(serialByIdFolder()).absoluteFilePath());
}

} // namespace
#endif

DeviceIdentity deviceIdentity(const QString &path)
{
    using Kind = DeviceIdentity::Kind;
    if (isNetworkPortName(path))
        return {Kind::Network, path, path};
#ifdef Q_OS_WIN
    // Windows gives a USB adapter its COM name by its serial number or its place on the bus
    // and keeps it: the name is the device. The window reopens nothing by itself there.
    return {Kind::BuiltIn, path.toUpper(), path};
#else
    const std::optional<DeviceNumbers> numbers = deviceNumbers(path);
    if (!numbers)
        return {};
    const QString real = QFileInfo(path).canonicalFilePath();
    if (inByIdFolder(path))
        return {Kind::ByIdName,
                QFileInfo(path).absoluteFilePath(),
                QStringLiteral("%1 (%2)").arg(QFileInfo(path).fileName(), real)};
    if (const QString usb = usbIdentity(path); !usb.isEmpty())
        return {Kind::Usb, usb, QStringLiteral("USB %1, %2").arg(usb, real)};
    const QString device = QStringLiteral("%1:%2").arg(numbers->major).arg(numbers->minor);
    if (numbers->pseudoTerminal)
        return {Kind::OneTime, device, QStringLiteral("pseudo-terminal %1").arg(real)};
    if (numbers->terminal)
        return {Kind::BuiltIn, real, QStringLiteral("serial port %1").arg(real)};
    return {Kind::OneTime,
            device + u'/' + QString::number(numbers->inode),
            QStringLiteral("device %1 (%2)").arg(real, device)};
#endif
}

bool sameDevice(const DeviceIdentity &kept, const DeviceIdentity &now)
{
    if (kept.kind == DeviceIdentity::Kind::None || kept.kind == DeviceIdentity::Kind::OneTime)
        return false;
    return kept.kind == now.kind && kept.key == now.key;
}
