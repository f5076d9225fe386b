#include "transport/device_path.h"

#include <QDir>
#include <QtGlobal>

#include <algorithm>
#include <utility>

QString mappedDevice(int port)
{
    const QString variable = QStringLiteral("PARLINO_COM%1").arg(port);
    return qEnvironmentVariable(variable.toLatin1().constData());
}

namespace {

QMap<int, QString> &numberedPorts()
{
    static QMap<int, QString> numbered;
    return numbered;
}

} // namespace

void setNumberedPorts(const QMap<int, QString> &numbered)
{
    numberedPorts() = numbered;
}

QString devicePathForPort(int port)
{
    return devicePathForPort(port, numberedPorts());
}

QString devicePathForPort(int port, const QMap<int, QString> &numbered)
{
    if (const QString mapped = mappedDevice(port); !mapped.isEmpty())
        return mapped;
    if (const QString device = numbered.value(port); !device.isEmpty())
        return device;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

namespace {

// A name cut into its text and the number it ends with: ("ttyUSB", 10).
std::pair<QStringView, qlonglong> nameAndNumber(QStringView name)
{
    qsizetype digits = name.size();
    while (digits > 0 && name[digits - 1].isDigit())
        --digits;
    return {name.left(digits), name.mid(digits).toLongLong()};
}

} // namespace

QString serialByIdFolder()
{
    const QString chosen = qEnvironmentVariable("PARLINO_SERIAL_BY_ID");
    return chosen.isEmpty() ? QStringLiteral("/dev/serial/by-id") : chosen;
}

QStringList serialDeviceNames(const QString &byIdFolder, const QString &deviceFolder)
{
    QStringList names;
    const QDir byId(byIdFolder);
    if (byId.exists()) {
        for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files)) {
            // A link whose device has gone is a left-over, not a device.
            if (link.exists())
                names.append(link.absoluteFilePath());
        }
    } else {
        const QDir devices(deviceFolder);
        for (const QString &name :
             devices.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                               QDir::System | QDir::Files))
            names.append(devices.absoluteFilePath(name));
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return nameAndNumber(a) < nameAndNumber(b);
    });
    return names;
}

QString mapPortCommand(int port, const QString &path)
{
#ifdef Q_OS_WIN
    return QStringLiteral("set PARLINO_COM%1=%2").arg(port).arg(path);
#else
    return QStringLiteral("export PARLINO_COM%1=%2").arg(port).arg(path);
#endif
}
