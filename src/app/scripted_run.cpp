#include "app/scripted_run.h"

#include "messages/file_import.h"
#include "platform/message_box.h"
#include "platform/open_failure.h"
#include "platform/serial_control.h"
#include "ui/form1.h"

#include <QCheckBox>

#include <QComboBox>

#include <algorithm>

ScriptedRun::ScriptedRun(Form1 &form, const CommandLine &line)
    : form_(form)
    , line_(line)
{
    installMessageBoxHandler([](const QString &prompt, int, const QString &title) {
        reportToConsole(title + QStringLiteral(": ") + QString(prompt).replace(u'\n', u' '));
    });
}

ScriptedRun::~ScriptedRun()
{
    installMessageBoxHandler({});
}

int ScriptedRun::exec()
{
    // The port is chosen and opened as OPEN does, without remembering it in the settings
    // file: a scripted run leaves the operator's saved port alone.
    form_.ui.Combo1->setEditText(QStringLiteral("COM%1").arg(line_.port));
    form_.MSComm1->setCommPort(line_.port);
    if (!form_.MSComm1->setPortOpen(true)) {
        reportToConsole(QStringLiteral("COMがOPENできません: ") + form_.MSComm1->errorText());
        return RunPortFailed;
    }

    QString error;
    if (!form_.importFile(line_.speakFile, &error)) {
        reportToConsole(importFailureTitle + QStringLiteral(": ")
                        + importFailureMessage(line_.speakFile, error).replace(u'\n', u' '));
        return RunBadArguments;
    }
    if (form_.Text1_Text().isEmpty()) {
        reportToConsole(
            QStringLiteral("%1: nothing to speak: the file has no lines").arg(line_.speakFile));
        return RunBadArguments;
    }
    if (line_.repeat > 1) {
        form_.ui.Check1->setChecked(true);
        form_.Check1_Click();
    }
    form_.Command10_Click();
    if (form_.Snd_flg != 1)
        return RunBadArguments;

    connect(&form_, &Form1::runEnded, this, &ScriptedRun::onRunEnded);
    clock_.start();
    connect(
        form_.MSComm1,
        &SerialControl::traffic,
        this,
        [this](SerialControl::Direction direction, const QByteArray &bytes, const QString &text) {
            // Lines only: a poll takes a millisecond, and polls come every tick.
            if (direction != SerialControl::Direction::Out || text == QLatin1String("STT\r"))
                return;
            const qint64 lineMs = bytes.size() * 1000 / lineBytesPerSecond;
            lineBusyUntilMs_ = std::max(lineBusyUntilMs_, clock_.elapsed()) + lineMs;
        });
    // The pump's own tick handler runs first: it was connected when the window was made.
    connect(form_.Timer1, &QTimer::timeout, this, &ScriptedRun::afterTick);
    sinceProgress_.start();
    // A termination signal ends the program, and with it this loop, with its own status.
    const int status = loop_.exec();
    form_.MSComm1->setPortOpen(false);
    return status;
}

void ScriptedRun::onRunEnded(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Spoken:
        // Success means delivered: the module has answered after the last line, and
        // nothing the console wrote is left waiting to go out.
        if (!form_.MSComm1->drainOutput(line_.timeoutSeconds * 1000)) {
            reportToConsole(QStringLiteral("the last bytes did not leave the port"));
            finish(RunPortFailed);
            return;
        }
        finish(RunSpoken);
        return;
    case RunOutcome::PortLost:
        finish(RunPortFailed);
        return;
    case RunOutcome::ModuleError:
    case RunOutcome::Stopped:
    case RunOutcome::Abandoned:
    case RunOutcome::Running:
        finish(RunModuleError);
        return;
    }
}

void ScriptedRun::afterTick()
{
    if (form_.Snd_flg == 0)
        return;
    if (form_.Snd_cnt != lastCount_) {
        // The list started again: on its last round, repeat is switched off so that the
        // pump ends the run when the list is exhausted.
        if (form_.Snd_cnt == 0 && ++rounds_ >= line_.repeat) {
            form_.ui.Check1->setChecked(false);
            form_.Check1_Click();
        }
        lastCount_ = form_.Snd_cnt;
        sinceProgress_.restart();
    }
    // The time-out measures the module, not the line: a long line on a slow port is still
    // leaving it until the line has had the time to carry it (the console's buffer, the
    // driver, a pseudo-terminal or an adapter take far more than the line has sent).
    if (clock_.elapsed() < lineBusyUntilMs_)
        sinceProgress_.restart();
    if (sinceProgress_.elapsed() >= qint64(line_.timeoutSeconds) * 1000) {
        // A module that reported an error and never came back to idle failed on the data.
        if (form_.runHadModuleError()) {
            reportToConsole(QStringLiteral("the module reported an error and did not come back "
                                           "to idle within %1 s")
                                .arg(line_.timeoutSeconds));
            finish(RunModuleError);
            return;
        }
        reportToConsole(
            QStringLiteral("no idle report from the module within %1 s").arg(line_.timeoutSeconds));
        finish(RunTimedOut);
    }
}

void ScriptedRun::finish(int status)
{
    loop_.exit(status);
}
