#include "link/port_numbers.h"

#include "link/port_names.h"
#include "platform/append_file.h"
#include "platform/console_output.h"
#include "platform/data_folders.h"
#include "platform/file_lock.h"
#include "text/text_file.h"
#include "transport/device_path.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

namespace {

constexpr int firstNumbered = 3;
constexpr int lastPort = 16;
// How long a start waits for another that is numbering the same file: it reads a small file
// and adds a line or two.
constexpr int portsFileLockWaitMs = 5000;

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

// Says the line once a run: each refresh finds the same again.
void tellOnce(RunMemory &memory, const QString &line)
{
    if (memory.toldProblems.contains(line))
        return;
    memory.toldProblems.insert(line);
    reportToConsole(line);
}

// The lines of the file's bytes, without their ends: CR LF, a lone LF and a lone CR each end
// one, as the text files' lines are cut.
QList<QByteArray> byteLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (bytes[at] != '\n' && bytes[at] != '\r')
            continue;
        lines.append(bytes.mid(start, at - start));
        if (bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n')
            ++at;
        start = at + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));
    return lines;
}

} // namespace

PortsFile parsePortsFile(const QByteArray &bytes)
{
    PortsFile file;
    const QList<QByteArray> lines = byteLines(bytes);
    QHash<int, qsizetype> lineOf; // the line that gave each number
    for (qsizetype index = 0; index < lines.size(); ++index) {
        // UTF-8, line by line: a note saved in another encoding costs its own line only.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Default);
        const QString line = QString(utf8.decode(lines[index])).trimmed();
        const auto problem = [&](const QString &why) {
            file.problems.append(
                QStringLiteral("line %1 \"%2\" %3; ignored").arg(index + 1).arg(line, why));
        };
        if (utf8.hasError()) {
            problem(QStringLiteral("is no UTF-8 text"));
            continue;
        }
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const int port = equals > 0 ? portNumberOf(QStringView(line).left(equals).trimmed()) : 0;
        const QString device = equals > 0 ? line.mid(equals + 1).trimmed() : QString();
        if (port == 0 || device.isEmpty())
            problem(QStringLiteral("is no COM<n>=<device> line (COM1 to COM16)"));
        else if (file.numbers.contains(port))
            problem(QStringLiteral("gives COM%1 a second device, %2; line %3 gives it %4, "
                                   "which keeps it")
                        .arg(port)
                        .arg(device)
                        .arg(lineOf.value(port) + 1)
                        .arg(file.numbers.value(port)));
        else if (file.numbers.values().contains(device))
            problem(QStringLiteral("gives %1 a second number").arg(device));
        else {
            file.numbers.insert(port, device);
            lineOf.insert(port, index);
        }
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
    return {serialByIdFolder(), QStringLiteral("/dev"), userPortsFile()};
}

QString userPortsFile()
{
    if (QString chosen = qEnvironmentVariable("PARLINO_PORTS_FILE"); !chosen.isEmpty())
        return chosen;
    const QString folder = userDataFolder();
    if (folder.isEmpty())
        return QString();
    return folder + QString(portsFileName).replace(u'\\', u'/');
}

PortNumbers refreshPortNumbers(const PortPlaces &places)
{
    RunMemory &memory = runMemory(places.portsFile);
    // Numbers that no file keeps would be guesses that the next start may give others.
    if (places.portsFile.isEmpty()) {
        tellOnce(memory,
                 QStringLiteral("no place for the ports file (no home folder): USB adapters get "
                                "no COM numbers in this run"));
        return {};
    }
    // The file is read and added to under its lock, so that consoles starting together take
    // turns: the second reads what the first added and agrees with it.
    QString lockError;
    FileLock lock;
    const bool locked = makeFolderFor(places.portsFile, &lockError)
                        && lock.lock(places.portsFile, portsFileLockWaitMs, &lockError);
    // A missing file is the first start: nothing remembered yet. One that is there but cannot
    // be read whole gives no numbers, and nothing is added to it.
    QString readError;
    const std::optional<QByteArray> bytes
        = pathExists(places.portsFile) ? readFileBytes(places.portsFile, &readError) : QByteArray();
    if (!bytes) {
        tellOnce(memory,
                 QStringLiteral("cannot read %1 (%2): USB adapters get no COM numbers in this "
                                "run, and nothing is added to the file")
                     .arg(places.portsFile, readError));
        return {};
    }
    PortsFile file = parsePortsFile(*bytes);
    for (const QString &problem : std::as_const(file.problems))
        tellOnce(memory, places.portsFile + QStringLiteral(": ") + problem);
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
    if (!bytes->isEmpty() && !bytes->endsWith('\n') && !bytes->endsWith('\r'))
        added.prepend('\n');
    AppendFile out;
    QString error = lockError;
    if (locked && out.open(places.portsFile, &error) && out.append(added, &error))
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
