#include "link/port_numbers.h"

#include "link/port_names.h"
#include "platform/app_paths.h"
#include "platform/append_file.h"
#include "platform/data_folders.h"
#include "text/text_file.h"
#include "transport/device_path.h"
#include "transport/open_failure.h"

#include <QHash>
#include <QSet>

namespace {

constexpr int firstNumbered = 3;
constexpr int lastPort = 16;

// What this run remembers beyond the file: numbers that could not be written, and what has
// been said already, so that each refresh does not repeat it.
struct RunMemory
{
    PortNumbers unsaved;
    bool toldUnsaved = false;
    QSet<QString> toldProblems;
};

// One for each ports file: a run's does not change, a test's does.
RunMemory &runMemory(const QString &portsFile)
{
    static QHash<QString, RunMemory> memories;
    return memories[portsFile];
}

} // namespace

PortsFile parsePortsFile(const QString &text)
{
    PortsFile file;
    const QStringList lines = splitTextLines(text);
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString line = lines[index].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const int port = equals > 0 ? portNumberOf(QStringView(line).left(equals).trimmed()) : 0;
        const QString device = equals > 0 ? line.mid(equals + 1).trimmed() : QString();
        QString problem;
        if (port == 0 || device.isEmpty())
            problem = QStringLiteral("is no COM<n>=<device> line (COM1 to COM16)");
        else if (file.numbers.contains(port))
            problem = QStringLiteral("gives COM%1 a second device").arg(port);
        else if (file.numbers.values().contains(device))
            problem = QStringLiteral("gives %1 a second number").arg(device);
        if (problem.isEmpty())
            file.numbers.insert(port, device);
        else
            file.problems.append(
                QStringLiteral("line %1 \"%2\" %3; ignored").arg(index + 1).arg(line, problem));
    }
    return file;
}

PortNumbers numberDevices(const PortNumbers &remembered,
                          const QStringList &present,
                          const PortNumbers &variables)
{
    PortNumbers numbers = remembered;
    const QStringList reached = variables.values();
    const QStringList known = remembered.values();
    int next = firstNumbered;
    for (const QString &device : present) {
        if (known.contains(device) || reached.contains(device))
            continue;
        while (next <= lastPort && (numbers.contains(next) || variables.contains(next)))
            ++next;
        if (next > lastPort)
            break;
        numbers.insert(next, device);
    }
    return numbers;
}

PortPlaces defaultPortPlaces()
{
    QString byId = qEnvironmentVariable("PARLINO_SERIAL_BY_ID");
    if (byId.isEmpty())
        byId = QStringLiteral("/dev/serial/by-id");
    return {byId, QStringLiteral("/dev"), userPortsFile()};
}

QString userPortsFile()
{
    if (QString chosen = qEnvironmentVariable("PARLINO_PORTS_FILE"); !chosen.isEmpty())
        return chosen;
    const QString folder = userDataFolder();
    if (folder.isEmpty())
        return appFilePath(portsFileName);
    return folder + QString(portsFileName).replace(u'\\', u'/');
}

PortNumbers refreshPortNumbers(const PortPlaces &places)
{
    RunMemory &memory = runMemory(places.portsFile);
    // A missing file is the first start: nothing remembered yet.
    const QString text = readTextFile(places.portsFile).value_or(QString());
    PortsFile file = parsePortsFile(text);
    for (const QString &problem : std::as_const(file.problems)) {
        const QString told = places.portsFile + QStringLiteral(": ") + problem;
        if (!memory.toldProblems.contains(told)) {
            memory.toldProblems.insert(told);
            reportToConsole(told);
        }
    }
    PortNumbers remembered = file.numbers;
    for (auto it = memory.unsaved.cbegin(); it != memory.unsaved.cend(); ++it) {
        if (!remembered.contains(it.key()) && !remembered.values().contains(it.value()))
            remembered.insert(it.key(), it.value());
    }

    PortNumbers variables;
    for (int port = 1; port <= lastPort; ++port) {
        if (const QString device = mappedDevice(port); !device.isEmpty())
            variables.insert(port, device);
    }
    const PortNumbers numbers = numberDevices(
        remembered, serialDeviceNames(places.byIdFolder, places.deviceFolder), variables);

    QByteArray added;
    for (auto it = numbers.cbegin(); it != numbers.cend(); ++it) {
        if (!remembered.contains(it.key()))
            added += QStringLiteral("COM%1=%2\n").arg(it.key()).arg(it.value()).toUtf8();
    }
    if (added.isEmpty())
        return numbers;
    if (!text.isEmpty() && !text.endsWith(u'\n') && !text.endsWith(u'\r'))
        added.prepend('\n');
    AppendFile out;
    QString error;
    if (makeFolderFor(places.portsFile, &error) && out.open(places.portsFile, &error)
        && out.append(added, &error))
        return numbers;
    for (auto it = numbers.cbegin(); it != numbers.cend(); ++it) {
        if (!file.numbers.contains(it.key()))
            memory.unsaved.insert(it.key(), it.value());
    }
    if (!memory.toldUnsaved) {
        memory.toldUnsaved = true;
        reportToConsole(QStringLiteral("cannot write %1 (%2): the COM numbers of new devices "
                                       "hold for this run only")
                            .arg(places.portsFile, error));
    }
    return numbers;
}

PortNumbers refreshPortNumbers()
{
#ifdef Q_OS_WIN
    return {};
#else
    // What the serial controls' own question, which device a COM number reaches, answers
    // with from now on.
    const PortNumbers numbers = refreshPortNumbers(defaultPortPlaces());
    setNumberedPorts(numbers);
    return numbers;
#endif
}
