#include "transport/port_inventory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

QString byIdLinkOf(const QString &path)
{
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QString target = QFileInfo(path).canonicalFilePath();
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files)) {
        if (link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return QString();
}

} // namespace

QList<SystemPort> systemPorts()
{
    QList<SystemPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        // Qt lists the pseudo-terminal multiplexer among the serial ports; it is none.
        if (info.systemLocation() == QLatin1String("/dev/pts/ptmx")
            || info.systemLocation() == QLatin1String("/dev/ptmx"))
            continue;
        SystemPort port;
        port.path = info.systemLocation();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            port.vendorProduct = QStringLiteral("%1:%2")
                                     .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                                     .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        port.serialNumber = info.serialNumber();
        port.byIdLink = byIdLinkOf(port.path);
        ports.append(port);
    }
    return ports;
}

DeviceState deviceState(const QString &path)
{
    // Told from the device numbers, without opening it: opening a serial port raises its
    // modem lines, which may reset what is attached.
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return DeviceState::Missing;
    if (!S_ISCHR(info.st_mode))
        return DeviceState::NotSerial;
    // Pseudo-terminals have no entry in sysfs; their major numbers are fixed.
    const unsigned major = ::major(info.st_rdev);
    if (major >= 136 && major <= 143)
        return DeviceState::Serial;
    const QString subsystem
        = QFileInfo(
              QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(major).arg(::minor(info.st_rdev)))
              .canonicalFilePath();
    return subsystem.endsWith(QLatin1String("/tty")) ? DeviceState::Serial : DeviceState::NotSerial;
}
