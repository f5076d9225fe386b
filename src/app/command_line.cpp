#include "app/command_line.h"

#include "link/port_names.h"

#include <algorithm>

namespace {

// A whole number from min to max written in plain decimal digits (no sign, no blank), or
// nothing.
bool readNumber(const QString &text, int min, int max, int *value)
{
    const bool digitsOnly = !text.isEmpty() && text.size() <= 9
                            && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
                                   return c >= u'0' && c <= u'9';
                               });
    const int number = digitsOnly ? text.toInt() : 0;
    if (!digitsOnly || number < min || number > max)
        return false;
    *value = number;
    return true;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    line.transcript = qEnvironmentVariable("PARLINO_TRANSCRIPT");
    QStringList given;
    for (qsizetype i = 0; i < arguments.size() && line.error.isEmpty(); ++i) {
        const QString &option = arguments[i];
        auto value = [&]() -> QString {
            if (i + 1 >= arguments.size()) {
                line.error = option + QStringLiteral(" needs a value");
                return QString();
            }
            return arguments[++i];
        };
        if (given.contains(option)) {
            line.error = QStringLiteral("%1 is given twice").arg(option);
            break;
        }
        given.append(option);
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            line.help = true;
        } else if (option == QLatin1String("--version")) {
            line.version = true;
        } else if (option == QLatin1String("--list-ports")) {
            line.listPorts = true;
        } else if (option == QLatin1String("--user-folder")) {
            line.userFolder = true;
        } else if (option == QLatin1String("--monitor")) {
            line.monitor = true;
        } else if (option == QLatin1String("--no-progress")) {
            line.noProgress = true;
        } else if (option == QLatin1String("--transcript")) {
            line.transcript = value();
        } else if (option == QLatin1String("--speak")) {
            line.speakFile = value();
            if (line.error.isEmpty() && line.speakFile.isEmpty())
                line.error = QStringLiteral("--speak: FILE is empty");
        } else if (option == QLatin1String("--script")) {
            line.scriptFile = value();
            if (line.error.isEmpty() && line.scriptFile.isEmpty())
                line.error = QStringLiteral("--script: FILE is empty");
        } else if (option == QLatin1String("--junit")) {
            line.junitFile = value();
            if (line.error.isEmpty() && line.junitFile.isEmpty())
                line.error = QStringLiteral("--junit: FILE is empty");
        } else if (option == QLatin1String("--junit-suite")) {
            line.junitSuite = value();
            if (line.error.isEmpty() && line.junitSuite.isEmpty())
                line.error = QStringLiteral("--junit-suite: NAME is empty");
        } else if (option == QLatin1String("--port")) {
            // A number or a name of the port list, in any case, blanks around it ignored:
            // "com7" and " COM7 " are COM7. (The window's port box keeps its own rule.)
            const QString text = value().trimmed();
            if (const int named = portNumberOf(text.toUpper()))
                line.port = named;
            else if (line.error.isEmpty() && !readNumber(text, 1, 16, &line.port))
                line.error = QStringLiteral("--port takes a port number from 1 to 16 or "
                                            "its name, COM1 to COM16");
        } else if (option == QLatin1String("--repeat")) {
            const QString text = value();
            if (line.error.isEmpty() && !readNumber(text, 1, 1000000, &line.repeat))
                line.error = QStringLiteral("--repeat takes a count from 1 to 1000000");
        } else if (option == QLatin1String("--timeout")) {
            const QString text = value();
            if (line.error.isEmpty() && !readNumber(text, 1, 86400, &line.timeoutSeconds))
                line.error = QStringLiteral("--timeout takes seconds from 1 to 86400");
        } else if (option == QLatin1String("--encoding")) {
            const QString text = value();
            line.encoding = encodingNamed(text);
            if (line.error.isEmpty() && !line.encoding)
                line.error = QStringLiteral("--encoding takes cp932 or utf-8");
        } else {
            line.error = QStringLiteral("unknown argument: ") + option;
        }
    }
    if (!line.error.isEmpty())
        return line;
    const bool portGiven = given.contains(QLatin1String("--port"));
    const bool runOptionGiven = given.contains(QLatin1String("--repeat"))
                                || given.contains(QLatin1String("--timeout"))
                                || given.contains(QLatin1String("--junit"))
                                || given.contains(QLatin1String("--encoding"));
    if (!line.junitSuite.isEmpty() && line.junitFile.isEmpty())
        line.error = QStringLiteral("--junit-suite goes with --junit");
    else if (!line.speakFile.isEmpty() && !line.scriptFile.isEmpty())
        line.error = QStringLiteral("--speak and --script go alone");
    else if (line.isScripted() && !portGiven)
        line.error = QStringLiteral("%1 needs --port")
                         .arg(line.speakFile.isEmpty() ? QStringLiteral("--script")
                                                       : QStringLiteral("--speak"));
    else if (!line.isScripted() && (portGiven || runOptionGiven))
        line.error = QStringLiteral("--port, --repeat, --timeout, --junit and --encoding go with "
                                    "--speak or --script");
    else if (line.isScripted() && line.listPorts)
        line.error = QStringLiteral("--speak, --script and --list-ports go alone");
    else if (line.userFolder && (line.isScripted() || line.listPorts))
        line.error = QStringLiteral("--user-folder goes with the window only");
    else if (line.monitor && (line.isScripted() || line.listPorts))
        line.error = QStringLiteral("--monitor goes with the window only");
    else if (line.noProgress && !line.isScripted())
        line.error = QStringLiteral("--no-progress goes with --speak or --script");
    return line;
}

QString usageText()
{
#ifdef Q_OS_WIN
    const QString userFolder = QStringLiteral("%LOCALAPPDATA%\\PARLINO");
    const QString defaultDevice = QStringLiteral("COM<n>");
    const QString listPorts
        = QStringLiteral("show the device each of COM1 to COM16 reaches, and the COM\n"
                         "                     ports Windows knows with the command that\n"
                         "                     reaches one numbered above 16");
#else
    const QString userFolder = QStringLiteral("~/.local/share/parlino");
    const QString defaultDevice
        = QStringLiteral("the serial device numbered so in the user's\n"
                         "%1/parlino_ports.txt (USB adapters get COM3 to COM16\n"
                         "when first seen), else /dev/ttyS<n-1>")
              .arg(userFolder);
    const QString listPorts
        = QStringLiteral("show the user's ports file, the device each of COM1 to\n"
                         "                     COM16 reaches, and the serial devices of this\n"
                         "                     system, with the command that reaches one\n"
                         "                     that has no COM number");
#endif
    const QString usage = QStringLiteral(
        "usage: parlino [--transcript FILE] [--user-folder] [--monitor]\n"
        "       parlino --speak FILE --port N [--repeat COUNT] [--timeout SECONDS]\n"
        "               [--transcript FILE] [--junit FILE [--junit-suite NAME]]\n"
        "               [--encoding cp932|utf-8] [--no-progress]\n"
        "       parlino --script FILE --port N [the options of --speak]\n"
        "       parlino --list-ports | --version | --help\n"
        "\n"
        "  --transcript FILE  append every write, receive and port event to FILE\n"
        "                     (also: PARLINO_TRANSCRIPT=FILE)\n"
        "  --user-folder      keep the window's files in %1\n"
        "  --monitor          open the line monitor beside the window (F12 opens and\n"
        "                     closes it): every record of the line, live, and a command\n"
        "                     field\n"
        "  --speak FILE       speak the lines of FILE on port N without a window, then exit:\n"
        "                     0 spoken, 1 the module reported an error, 2 the port could\n"
        "                     not be opened or went away, 3 time-out, 64 bad arguments\n"
        "                     or a file, script or report refused (before the port is\n"
        "                     opened), 130/143 interrupted or terminated\n"
        "  --script FILE      send the module commands of FILE (MSG+text, STT, CLR0, VER,\n"
        "                     SPD+number, SSD01, SSD02, EEP+two digits+text, SEL+two digits;\n"
        "                     blank lines and # comments skipped), one a line, as written,\n"
        "                     paced as --speak paces lines; the same exit statuses\n"
        "  --port N           the port of the run: 1 to 16, or its name COM1 to COM16\n"
        "                     (any case, blanks around it ignored: com7 is COM7)\n"
        "  --repeat COUNT     run the whole list COUNT times (default 1)\n"
        "  --timeout SECONDS  give up when the run makes no progress for this long\n"
        "                     (default 60)\n"
        "  --junit FILE       write a JUnit XML report of the run to FILE, however it ends,\n"
        "                     rewritten as the run goes (at most once a second)\n"
        "  --junit-suite NAME name the report's suite NAME (default: \"FILE on COM<n>\")\n"
        "  --encoding cp932|utf-8\n"
        "                     read FILE in this encoding; without it the encoding whose\n"
        "                     reading is likelier text is taken; when both read, standard\n"
        "                     error and the transcript say which and how the other reads\n"
        "  --no-progress      no progress on standard error; without it a terminal gets\n"
        "                     one status line rewritten in place, a log a line every\n"
        "                     10 s and one at the end of each pass\n"
        "  --list-ports       %3\n"
        "  --version          print the version\n"
        "  -h, --help         print this help\n"
        "\n"
        "A scripted run ends with a summary line on standard error.\n"
        "COM<n> is the device in the variable PARLINO_COM<n> (a device path, or a module\n"
        "on the network: rfc2217://HOST:PORT, telnet://HOST:PORT or tcp://HOST:PORT),\n"
        "else %2.\n");
    // All in one pass, so that the % of the Windows folder is not taken for a place marker.
    return usage.arg(userFolder, defaultDevice, listPorts);
}

QString usageErrorText(const QString &error)
{
    // The cause stays on the screen: the options are one command away.
    return QStringLiteral("parlino: %1\nTry \"parlino --help\" for the options.\n").arg(error);
}
