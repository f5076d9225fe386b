#include "app/command_line.h"
#include "app/port_listing.h"
#include "app/scripted_run.h"
#include "app/user_folder.h"
#include "link/transcript.h"
#include "monitor/monitor_access.h"
#include "platform/console_icon.h"
#include "platform/console_output.h"
#include "platform/headless_platform.h"
#include "platform/program_arguments.h"
#include "platform/qt_translation.h"
#include "platform/runtime_folder_warning.h"
#include "platform/termination_request.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    // The arguments are read before Qt starts: a scripted run, the port list and a usage
    // message need no display.
    CommandLine line = parseCommandLine(programArguments(argc, argv));
    // A usage error, the help and the version need no Qt at all.
    if (!line.error.isEmpty()) {
        writeToConsole(ConsoleStream::Error, usageErrorText(line.error));
        return RunBadArguments;
    }
    if (line.help) {
        writeToConsole(ConsoleStream::Output, usageText());
        return 0;
    }
    if (line.version) {
        writeToConsole(ConsoleStream::Output, QStringLiteral("parlino " PARLINO_VERSION "\n"));
        return 0;
    }
    const bool showsWindow = !line.listPorts && !line.isScripted();
    if (!showsWindow)
        useHeadlessPlatform();
    quietRuntimeFolderWarning();
    QApplication app(argc, argv);

    if (line.listPorts) {
        writeToConsole(ConsoleStream::Output, portListing());
        return 0;
    }

    if (showsWindow)
        chooseWorkingFolder(line);
    Form1 window;
    // Interrupted or terminated: the port is closed (its lock released, the transcript's
    // CLOSE record written) before the program ends with the shell's status for it.
    onTerminationRequest([&window](int exitStatus) {
        reportToConsole(QStringLiteral("interrupted: the run ends here, the port is closed "
                                       "(status %1)")
                            .arg(exitStatus));
        window.endProgram(exitStatus);
    });
    Transcript transcript;
    if (!line.transcript.isEmpty()) {
        if (!transcript.open(line.transcript)) {
            const QString refusal = QStringLiteral("cannot write the transcript %1: %2")
                                        .arg(line.transcript, transcript.errorText());
            // A scripted run refused here still ends with its summary and its report.
            if (line.isScripted())
                return ScriptedRun(window, line).exec(refusal);
            reportToConsole(refusal);
            return RunBadArguments;
        }
    }
    // The transcript forms the records also without a file: the line monitor shows them.
    if (!line.transcript.isEmpty() || showsWindow) {
        transcript.follow(window.MSComm1, &window.statusPolls());
        QObject::connect(&window, &Form1::statusAnswered, &transcript, &Transcript::noteStatus);
        QObject::connect(&window, &Form1::pumpNote, &transcript, &Transcript::note);
    }
    if (line.isScripted())
        return ScriptedRun(window, line, &transcript).exec();
    const std::unique_ptr<LineMonitor> monitor = attachMonitor(window, transcript);
    window.show();
    if (line.monitor)
        monitor->open();
    // Standard buttons and dialogs in the language of the captions, and the console's own icon
    // in the task bar, once the window is up: loading them first would keep the operator
    // waiting for the window (a scripted run shows neither and loads neither).
    QTimer::singleShot(0, &window, [] {
        installQtJapanese();
        if (const QIcon icon = consoleIcon(); !icon.isNull())
            QApplication::setWindowIcon(icon);
    });
    return app.exec();
}
