#include "app/scripted_run.h"

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/open_failure.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QComboBox>

ScriptedRun::ScriptedRun(Form1 &form, const CommandLine &line)
    : form_(form)
    , line_(line)
{
    installMessageBoxHandler([this](const QString &prompt, int, const QString &title) {
        reportToConsole(title + QStringLiteral(": ") + QString(prompt).replace(u'\n', u' '));
        // The error box of a run in progress is the module's error report.
        if (form_.Snd_flg == 1)
            moduleError_ = true;
        if (title == QLatin1String("File Error"))
            fileError_ = true;
    });
    installOpenDialogHandler([this](const QStringList &, const QString &) {
        return std::optional<QString>(line_.speakFile);
    });
}

ScriptedRun::~ScriptedRun()
{
    installMessageBoxHandler({});
    installOpenDialogHandler({});
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
    connect(form_.MSComm1, &SerialControl::deviceLost, this, [this](const QString &reason) {
        reportToConsole(QStringLiteral("the port went away: ") + reason);
        finish(RunPortFailed);
    });

    form_.Command17_Click();
    if (fileError_)
        return RunBadArguments;
    if (line_.repeat > 1) {
        form_.ui.Check1->setChecked(true);
        form_.Check1_Click();
    }
    form_.Command10_Click();
    if (form_.Snd_flg != 1)
        return RunBadArguments;

    // The pump's own tick handler runs first: it was connected when the window was made.
    connect(form_.Timer1, &QTimer::timeout, this, &ScriptedRun::afterTick);
    sinceProgress_.start();
    loop_.exec();
    form_.MSComm1->setPortOpen(false);
    return status_;
}

void ScriptedRun::afterTick()
{
    if (form_.Snd_flg == 0) {
        finish(moduleError_ ? RunModuleError : RunSpoken);
        return;
    }
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
    if (sinceProgress_.elapsed() >= qint64(line_.timeoutSeconds) * 1000) {
        reportToConsole(
            QStringLiteral("no idle report from the module within %1 s").arg(line_.timeoutSeconds));
        finish(RunTimedOut);
    }
}

void ScriptedRun::finish(int status)
{
    status_ = status;
    loop_.quit();
}
