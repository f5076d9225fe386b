// The serial ports Windows knows: the device manager's class of ports, with description,
// maker, USB vendor and product and serial number, then any port only the serial device map
// names (virtual ports, Wine's mapped ones).
#include "transport/port_inventory.h"

#include "transport/device_namespace_win.h"

#include <qt_windows.h>
#include <setupapi.h>

#include <algorithm>

namespace {

QString registryProperty(HDEVINFO set, SP_DEVINFO_DATA &device, DWORD property)
{
    wchar_t buffer[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set,
                                           &device,
                                           property,
                                           nullptr,
                                           reinterpret_cast<BYTE *>(buffer),
                                           sizeof buffer - 2,
                                           nullptr))
        return QString();
    return QString::fromWCharArray(buffer); // a list of strings gives its first
}

QString portNameOf(HDEVINFO set, SP_DEVINFO_DATA &device)
{
    const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return QString();
    wchar_t name[64] = {};
    DWORD size = sizeof name - 2;
    DWORD type = 0;
    const bool found
        = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(name), &size)
              == ERROR_SUCCESS
          && type == REG_SZ;
    RegCloseKey(key);
    return found ? QString::fromWCharArray(name) : QString();
}

// "USB\VID_0403&PID_6001\A50285BI": vendor and product "0403:6001", serial number "A50285BI"
// (a last part with '&' in it is a position the system made up, no serial number).
void readInstanceId(const QString &id, SystemPort &port)
{
    const qsizetype vendor = id.indexOf(QLatin1String("VID_"), 0, Qt::CaseInsensitive);
    const qsizetype product = id.indexOf(QLatin1String("PID_"), 0, Qt::CaseInsensitive);
    if (vendor >= 0 && product >= 0)
        port.vendorProduct = (id.mid(vendor + 4, 4) + u':' + id.mid(product + 4, 4)).toLower();
    const QStringList parts = id.split(u'\\');
    if (parts.size() == 3 && parts[0].compare(QLatin1String("USB"), Qt::CaseInsensitive) == 0
        && !parts[2].contains(u'&'))
        port.serialNumber = parts[2];
}

void addDeviceManagerPorts(QList<SystemPort> &ports)
{
    GUID classes[4];
    DWORD count = 0;
    if (!SetupDiClassGuidsFromNameW(L"Ports", classes, 4, &count) || count == 0)
        return;
    const HDEVINFO set = SetupDiGetClassDevsW(&classes[0], nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        SystemPort port;
        port.path = portNameOf(set, device);
        if (!isComName(port.path))
            continue; // printer ports share the class
        port.description = registryProperty(set, device, SPDRP_DEVICEDESC);
        port.manufacturer = registryProperty(set, device, SPDRP_MFG);
        wchar_t id[512] = {};
        if (SetupDiGetDeviceInstanceIdW(set, &device, id, 511, nullptr))
            readInstanceId(QString::fromWCharArray(id), port);
        ports.append(port);
    }
    SetupDiDestroyDeviceInfoList(set);
}

void addSerialDeviceMap(QList<SystemPort> &ports)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key)
        != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        wchar_t device[256] = {};
        wchar_t name[64] = {};
        DWORD deviceSize = 255;
        DWORD nameSize = sizeof name - 2;
        DWORD type = 0;
        const LONG result = RegEnumValueW(key,
                                          index,
                                          device,
                                          &deviceSize,
                                          nullptr,
                                          &type,
                                          reinterpret_cast<BYTE *>(name),
                                          &nameSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const QString path = QString::fromWCharArray(name);
        const bool listed = std::any_of(ports.begin(), ports.end(), [&](const SystemPort &port) {
            return port.path.compare(path, Qt::CaseInsensitive) == 0;
        });
        if (isComName(path) && !listed)
            ports.append({path, QString::fromWCharArray(device), {}, {}, {}, {}});
    }
    RegCloseKey(key);
}

} // namespace

QList<SystemPort> systemPorts()
{
    QList<SystemPort> ports;
    addDeviceManagerPorts(ports);
    addSerialDeviceMap(ports);
    std::sort(ports.begin(), ports.end(), [](const SystemPort &a, const SystemPort &b) {
        return a.path.mid(3).toInt() < b.path.mid(3).toInt();
    });
    return ports;
}

DeviceState deviceState(const QString &path)
{
    // A COM name exists when the device namespace has it; GetFileAttributes says yes to
    // every reserved device name, present or not.
    QString name = path;
    if (name.startsWith(QLatin1String("\\\\.\\")))
        name = name.mid(4);
    if (isComName(name)) {
        wchar_t target[512];
        return QueryDosDeviceW(reinterpret_cast<const wchar_t *>(name.utf16()), target, 512) != 0
                   ? DeviceState::Serial
                   : DeviceState::Missing;
    }
    // Anything else that exists (a file, a folder) is no serial device.
    return GetFileAttributesW(reinterpret_cast<const wchar_t *>(path.utf16()))
                   != INVALID_FILE_ATTRIBUTES
               ? DeviceState::NotSerial
               : DeviceState::Missing;
}
