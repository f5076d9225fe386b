#include "app/scripted_run.h"

#include "link/encodable.h"
#include "link/port_numbers.h"
#include "link/transcript.h"
#include "messages/command_script.h"
#include "messages/file_import.h"
#include "platform/console_output.h"
#include "platform/message_box.h"
#include "platform/terminal.h"
#include "platform/whole_file.h"
#include "report/run_summary.h"
#include "speak/speak_request.h"
#include "text/text_file.h"
#include "text/visible_text.h"
#include "transport/device_path.h"
#include "transport/serial_control.h"
#include "ui/form1.h"

#include <QCheckBox>

#include <QComboBox>
#include <QSysInfo>

#include <algorithm>
#include <utility>

namespace {

// The encoding the run's file was read in goes into the report; when both readings were text,
// standard error says which was taken.
void recordEncoding(RunRecord &record, const QString &path, const TextReading &reading)
{
    record.encoding = encodingName(reading.encoding);
    if (reading.bothPlausible)
        reportToConsole(encodingNote(path, reading));
}

} // namespace

ScriptedRun::ScriptedRun(Form1 &form, const CommandLine &line, const Transcript *transcript)
    : form_(form)
    , line_(line)
    , transcript_(transcript)
    , reportFile_(
          line.junitFile,
          [this]() -> const RunRecord & { return recorder_.snapshot(); },
          [this](const QString &error) {
              if (!std::exchange(reportFailed_, true))
                  reportToConsole(QStringLiteral("cannot write the JUnit report %1: %2")
                                      .arg(line_.junitFile, error));
          })
{
    installMessageBoxHandler([this](const QString &prompt,
                                    int,
                                    const QString &title,
                                    const QString &details,
                                    const QString &) {
        QString said = title + QStringLiteral(": ") + QString(prompt).replace(u'\n', u' ');
        // The send-data box names its line and the module's answer.
        if (prompt == QStringLiteral("送信データに誤りがあります") && !details.isEmpty())
            said += QStringLiteral(": ") + details;
        reportToConsole(said);
        if (cause_.isEmpty())
            cause_ = said;
    });
}

ScriptedRun::~ScriptedRun()
{
    installMessageBoxHandler({});
}

int ScriptedRun::exec(const QString &refusal)
{
    RunRecord &record = recorder_.record();
    record.name = line_.scriptFile.isEmpty() ? line_.speakFile : line_.scriptFile;
    record.passes = line_.repeat;
    record.port = QStringLiteral("COM%1").arg(line_.port);
    record.suite = line_.junitSuite.isEmpty()
                       ? QStringLiteral("%1 on %2").arg(record.name, record.port)
                       : line_.junitSuite;
    record.hostname = QSysInfo::machineHostName();
    refreshPortNumbers();
    record.device = devicePathForPort(line_.port);
    recorder_.begin();
    // The report replaces its file whole: it must not be the file the run reads or the
    // transcript it appends to. Such a run is refused, and no report is written.
    for (const QString &other : {record.name, line_.transcript}) {
        if (!line_.junitFile.isEmpty() && !other.isEmpty()
            && namesSameFile(line_.junitFile, other)) {
            noteCause(QStringLiteral("--junit %1 would overwrite %2").arg(line_.junitFile, other));
            reportAllowed_ = false;
            report(RunBadArguments);
            return RunBadArguments;
        }
    }
    readInput();
    if (!refusal.isEmpty())
        noteCause(refusal);
    const int status = refusal.isEmpty() ? run() : int(RunBadArguments);
    report(status);
    return status;
}

int ScriptedRun::run()
{
    // The port is chosen and opened as OPEN does, without remembering it in the settings
    // file: a scripted run leaves the operator's saved port alone.
    // A reply may be as late as the run's time-out: polls are given up only after that.
    form_.setLateReplyLimitMs(qint64(line_.timeoutSeconds) * 1000);
    form_.ui.Combo1->setEditText(QStringLiteral("COM%1").arg(line_.port));
    form_.MSComm1->setCommPort(line_.port);
    if (!form_.MSComm1->setPortOpen(true)) {
        noteCause(QStringLiteral("COMがOPENできません: ") + form_.MSComm1->errorText());
        return RunPortFailed;
    }

    if (line_.repeat > 1) {
        form_.ui.Check1->setChecked(true);
        form_.Check1_Click();
    }
    if (!(line_.scriptFile.isEmpty() ? armSpeakFile() : armScript()) || form_.Snd_flg != 1)
        return RunBadArguments;
    // The report is there from the start, saying the run has not finished, so that CI has
    // one even when the program is killed; a report that cannot be written stops the run
    // before anything is sent.
    recorder_.record().cause = QStringLiteral("the run has not finished");
    if (!line_.junitFile.isEmpty() && !writeReport())
        return RunBadArguments;

    follow();
    sinceProgress_.start();
    if (!line_.noProgress)
        progress_ = std::make_unique<RunProgress>(
            standardErrorIsTerminal() ? RunProgress::Form::Terminal : RunProgress::Form::Log,
            [](const QString &text) { writeToConsole(ConsoleStream::Error, text); });
    // A termination signal ends the program, and with it this loop, with its own status.
    const int status = loop_.exec();
    progress_.reset();
    form_.MSComm1->setPortOpen(false);
    return status;
}

void ScriptedRun::readInput()
{
    if (line_.scriptFile.isEmpty())
        readSpeakFile();
    else
        readScript();
}

void ScriptedRun::readSpeakFile()
{
    // Loaded as the FILE button loads it; what goes out is the send box cut into lines.
    reading_.forced = line_.encoding;
    const bool imported = form_.importFile(line_.speakFile, &inputError_, &reading_);
    recordEncoding(recorder_.record(), line_.speakFile, reading_);
    if (!imported)
        return;
    const QString text = form_.Text1_Text();
    if (text.isEmpty())
        return;
    RunRecord &record = recorder_.record();
    record.linePrefix = QStringLiteral("MSG");
    QStringList lines = splitAtLineFeeds(completeWithCrLf(text));
    lines.removeLast();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (refusableIndex_ < 0 && lines.size() <= maxSpeakLines
            && unencodableCharacterMessage(lines[i]))
            refusableIndex_ = int(i);
        QString line = lines[i].mid(record.linePrefix.size());
        if (line.endsWith(u'\r'))
            line.chop(1);
        record.lines.append(line);
        record.lineNumbers.append(int(i + 1));
    }
}

void ScriptedRun::readScript()
{
    // Read as an imported file is: the same encodings, the same refusals.
    reading_.forced = line_.encoding;
    scriptText_ = readTextFile(line_.scriptFile, &inputError_, &reading_);
    recordEncoding(recorder_.record(), line_.scriptFile, reading_);
    if (!scriptText_)
        return;
    // Every command line is listed, also past a line that refuses the script.
    RunRecord &record = recorder_.record();
    const int refusedLine = readCommandScript(*scriptText_).refusedLine;
    const QStringList lines = splitTextLines(*scriptText_);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty() || lines[i].startsWith(u'#'))
            continue;
        if (int(i + 1) == refusedLine)
            refusableIndex_ = int(record.lines.size());
        record.lines.append(lines[i]);
        record.lineNumbers.append(int(i + 1));
    }
}

bool ScriptedRun::armSpeakFile()
{
    if (!inputError_.isEmpty()) {
        noteCause(importFailureTitle + QStringLiteral(": ")
                  + importFailureMessage(line_.speakFile, inputError_).replace(u'\n', u' '));
        return false;
    }
    emit form_.pumpNote(QStringLiteral("ENCODING"), encodingNote(line_.speakFile, reading_));
    if (form_.Text1_Text().isEmpty()) {
        noteCause(
            QStringLiteral("%1: nothing to speak: the file has no lines").arg(line_.speakFile));
        return false;
    }
    form_.Command10_Click();
    if (form_.Snd_flg != 1)
        recorder_.record().refusedIndex = refusableIndex_;
    return true;
}

bool ScriptedRun::armScript()
{
    if (!scriptText_) {
        noteCause(importFailureTitle + QStringLiteral(": ")
                  + importFailureMessage(line_.scriptFile, inputError_).replace(u'\n', u' '));
        return false;
    }
    emit form_.pumpNote(QStringLiteral("ENCODING"), encodingNote(line_.scriptFile, reading_));
    const CommandScript script = readCommandScript(*scriptText_);
    if (script.isRefused()) {
        recorder_.record().refusedIndex = refusableIndex_;
        // One pass over the pattern: a file name or a line may hold "%1" itself.
        noteCause(
            script.refusedLine > 0
                ? QStringLiteral("%1 line %2: %3")
                      .arg(line_.scriptFile, QString::number(script.refusedLine), script.refusal)
                : QStringLiteral("%1: %2").arg(line_.scriptFile, script.refusal));
        return false;
    }
    QString completed;
    for (const ScriptLine &line : script.lines)
        completed += line.command + QLatin1String("\r\n");
    return form_.armRun(completed);
}

void ScriptedRun::follow()
{
    connect(&form_, &Form1::runEnded, this, &ScriptedRun::onRunEnded);
    clock_.start();
    connect(
        form_.MSComm1,
        &SerialControl::traffic,
        this,
        [this](SerialControl::Direction direction, const QByteArray &bytes, const QString &text) {
            // Lines only: a poll takes a millisecond, and polls come every tick.
            if (direction != SerialControl::Direction::Out || isStatusPoll(text))
                return;
            const qint64 lineMs = bytes.size() * 1000 / lineBytesPerSecond;
            lineBusyUntilMs_ = std::max(lineBusyUntilMs_, clock_.elapsed()) + lineMs;
        });
    // The pump's own tick handler runs first: it was connected when the window was made.
    connect(form_.Timer1, &QTimer::timeout, this, &ScriptedRun::afterTick);
    // Each line's exchange, as the transcript writes it, goes with the line into the report.
    connect(
        form_.MSComm1,
        &SerialControl::traffic,
        this,
        [this](SerialControl::Direction direction, const QByteArray &bytes, const QString &text) {
            recorder_.traffic(direction == SerialControl::Direction::Out, bytes, text);
        });
    connect(&form_, &Form1::lineWritten, this, [this](int index) {
        recorder_.lineWritten(index, form_.statusPolls().mark());
        rewriteReport();
    });
    connect(&form_, &Form1::errorReplyReported, this, [this](const QString &reply) {
        recorder_.errorReply(reply);
        rewriteReport();
    });
    // The report times lines as the transcript does, by the window's one count of polls.
    connect(&form_, &Form1::commandRefused, this, [this](const QString &command, int index) {
        if (index < 0)
            return;
        recorder_.lineRefused(index);
        rewriteReport();
        if (refusal_.isEmpty())
            refusal_ = QStringLiteral("the module answered ? to line %1: %2")
                           .arg(recorder_.record().lineNumbers.value(index))
                           .arg(command.left(20));
    });
    connect(&form_, &Form1::statusAnswered, this, [this](const QString &status, quint64 poll) {
        lastStatus_ = status;
        if (poll == 0)
            recorder_.event(QStringLiteral("UNSOLICITED"), status);
        recorder_.statusAnswered(status, poll);
    });
    connect(&form_, &Form1::replyTaken, this, [this](const QString &reply) {
        recorder_.received(reply);
    });
    connect(&form_, &Form1::pumpNote, this, [this](const QString &kind, const QString &detail) {
        recorder_.event(kind, detail);
    });
    connect(form_.MSComm1, &SerialControl::deviceLost, this, [this](const QString &reason) {
        recorder_.event(QStringLiteral("LOST"), reason);
        cause_ = QStringLiteral("COMが切断されました: ") + reason;
    });
}

void ScriptedRun::onRunEnded(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Spoken:
        // A line the module refused was not spoken, whatever the status said after it.
        if (!refusal_.isEmpty()) {
            noteCause(refusal_);
            finish(RunModuleError);
            return;
        }
        recorder_.allSpoken();
        showProgress(true);
        // Success means delivered: the module has answered after the last line, and
        // nothing the console wrote is left waiting to go out.
        if (!form_.MSComm1->drainOutput(line_.timeoutSeconds * 1000)) {
            noteCause(QStringLiteral("the last bytes did not leave the port"));
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
        heardAtProgress_ = form_.repliesHeard();
        lastStatus_.clear();
        if (form_.Snd_cnt == 0)
            showProgress(true);
    }
    showProgress(false);
    // The time-out measures the module, not the line: a long line on a slow port is still
    // leaving it until the line has had the time to carry it (the console's buffer, the
    // driver, a pseudo-terminal or an adapter take far more than the line has sent).
    if (clock_.elapsed() < lineBusyUntilMs_)
        sinceProgress_.restart();
    if (sinceProgress_.elapsed() >= qint64(line_.timeoutSeconds) * 1000) {
        // A module that reported an error and never came back to idle failed on the data.
        if (form_.runHadModuleError()) {
            const QString said = QStringLiteral("the module reported an error and did not come "
                                                "back to idle within %1 s")
                                     .arg(line_.timeoutSeconds);
            reportToConsole(said);
            cause_ = said;
            finish(RunModuleError);
            return;
        }
        // A module that said nothing is not one that answers but never reports idle.
        const QString said
            = form_.repliesHeard() == heardAtProgress_
                  ? QStringLiteral("the module did not answer within %1 s (%2 STT unanswered)")
                        .arg(line_.timeoutSeconds)
                        .arg(form_.statusPolls().waiting())
              : lastStatus_.isEmpty()
                  ? QStringLiteral("the module answered but sent no status within %1 s")
                        .arg(line_.timeoutSeconds)
                  : QStringLiteral("the module stayed busy: no idle report within %1 s, "
                                   "its last status %2")
                        .arg(line_.timeoutSeconds)
                        .arg(visibleText(lastStatus_));
        reportToConsole(said);
        cause_ = said;
        finish(RunTimedOut);
    }
}

void ScriptedRun::finish(int status)
{
    loop_.exit(status);
}

void ScriptedRun::noteCause(const QString &cause)
{
    reportToConsole(cause);
    if (cause_.isEmpty())
        cause_ = cause;
}

void ScriptedRun::report(int status)
{
    RunEnd end = RunEnd::Interrupted;
    QString cause = cause_;
    switch (status) {
    case RunSpoken:
        end = RunEnd::Spoken;
        cause.clear();
        break;
    case RunModuleError:
        end = RunEnd::ModuleError;
        break;
    case RunPortFailed:
        end = RunEnd::PortFailed;
        break;
    case RunTimedOut:
        end = RunEnd::TimedOut;
        break;
    case RunBadArguments:
        end = RunEnd::Refused;
        break;
    default:
        // The shell's status for a signal: 128 + its number.
        cause = status == 130   ? QStringLiteral("interrupted (SIGINT)")
                : status == 143 ? QStringLiteral("terminated (SIGTERM)")
                                : QStringLiteral("ended by signal %1").arg(status - 128);
        break;
    }
    if (cause.isEmpty() && end != RunEnd::Spoken)
        cause = QStringLiteral("exit status %1").arg(status);
    recorder_.finish(end, cause);
    if (!line_.junitFile.isEmpty() && reportAllowed_)
        writeReport();
    if (transcript_ && !transcript_->isComplete())
        reportToConsole(QStringLiteral("the transcript %1 is incomplete: %2")
                            .arg(transcript_->path(), transcript_->errorText()));
    reportToConsole(runSummary(recorder_.record()));
}

bool ScriptedRun::writeReport()
{
    return reportFile_.write();
}

void ScriptedRun::rewriteReport()
{
    if (!line_.junitFile.isEmpty())
        reportFile_.changed();
}

void ScriptedRun::showProgress(bool passEnded)
{
    if (!progress_)
        return;
    // A pass ends as the list starts again (the pass before it ended) or as the run ends.
    const bool restarted = passEnded && form_.Snd_flg == 1 && form_.Snd_cnt == 0;
    ProgressState state;
    state.lines = form_.Snd_max;
    state.line = passEnded ? state.lines : form_.Snd_cnt;
    state.pass = std::min(restarted ? rounds_ - 1 : rounds_, line_.repeat);
    state.passes = line_.repeat;
    state.elapsedMs = clock_.elapsed();
    state.status = form_.ui.Text2->text();
    if (passEnded)
        progress_->passEnded(state);
    else
        progress_->update(state);
}
