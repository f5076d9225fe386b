#include "transport/port_inventory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <utility>

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

std::optional<DeviceNumbers> deviceNumbers(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return std::nullopt;
    DeviceNumbers numbers;
    numbers.major = ::major(info.st_rdev);
    numbers.minor = ::minor(info.st_rdev);
    numbers.inode = info.st_ino;
    // Pseudo-terminals have no entry in sysfs; their major numbers are fixed.
    numbers.pseudoTerminal = numbers.major >= 136 && numbers.major <= 143;
    numbers.terminal = numbers.pseudoTerminal || deviceState(path) == DeviceState::Serial;
    return numbers;
}

namespace {

UsbIdentityReader &usbIdentityReader()
{
    static UsbIdentityReader reader;
    return reader;
}

QString sysfsValue(const QString &folder, const char *name)
{
    QFile file(folder + u'/' + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.read(256)).trimmed();
}

// The USB device above the terminal in sysfs: the first folder up its device path that has a
// vendor number.
QString sysfsUsbIdentity(const DeviceNumbers &numbers)
{
    QString folder
        = QFileInfo(
              QStringLiteral("/sys/dev/char/%1:%2/device").arg(numbers.major).arg(numbers.minor))
              .canonicalFilePath();
    while (folder.startsWith(QLatin1String("/sys/devices/"))) {
        if (const QString vendor = sysfsValue(folder, "idVendor"); !vendor.isEmpty()) {
            const QString product = sysfsValue(folder, "idProduct");
            const QString serial = sysfsValue(folder, "serial");
            // The folder's own name is the port on the bus: bus 1, hub port 1, its port 2.
            return serial.isEmpty()
                       ? QStringLiteral("%1:%2 port %3")
                             .arg(vendor, product, QFileInfo(folder).fileName())
                       : QStringLiteral("%1:%2 serial %3").arg(vendor, product, serial);
        }
        folder = QFileInfo(folder).path();
    }
    return QString();
}

} // namespace

QString usbIdentity(const QString &path)
{
    if (usbIdentityReader())
        return usbIdentityReader()(QFileInfo(path).canonicalFilePath());
    const std::optional<DeviceNumbers> numbers = deviceNumbers(path);
    if (!numbers || numbers->pseudoTerminal)
        return QString();
    return sysfsUsbIdentity(*numbers);
}

UsbIdentityReader installUsbIdentityReader(UsbIdentityReader reader)
{
    return std::exchange(usbIdentityReader(), std::move(reader));
}
