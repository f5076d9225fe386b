#include "support/console_process.h"

#include <QProcess>
#include <QTest>

ConsoleResult runConsole(const QStringList &arguments,
                         const QString &workingFolder,
                         const QStringList &environment,
                         int timeoutMs,
                         const std::function<void(qint64 pid)> &started)
{
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const QString &assignment : environment) {
        const qsizetype equals = assignment.indexOf(u'=');
        variables.insert(assignment.left(equals), assignment.mid(equals + 1));
    }
    process.setProcessEnvironment(variables);
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(PARLINO_APP_PATH), arguments);
    ConsoleResult result;
    if (!process.waitForStarted(5000))
        return result;
    if (started)
        started(process.processId());
    result.finished
        = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(2000);
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
