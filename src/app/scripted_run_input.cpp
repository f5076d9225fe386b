// A scripted run's arguments and input: read before the port opens, and refused there.
#include "app/scripted_run.h"

#include "link/encodable.h"
#include "link/port_numbers.h"
#include "messages/command_script.h"
#include "messages/file_import.h"
#include "platform/console_output.h"
#include "platform/whole_file.h"
#include "speak/speak_request.h"
#include "text/text_file.h"
#include "transport/device_path.h"
#include "ui/form1.h"

#include <QSysInfo>

namespace {

// The encoding the run's file was read in goes into the report; when both readings were text,
// standard error says which was taken.
void recordEncoding(RunRecord &record, const QString &path, const TextReading &reading)
{
    record.encoding = encodingName(reading.encoding);
    if (reading.bothPlausible)
        reportToConsole(encodingNote(path, reading));
}

// What the window refuses to arm, with a box, before anything is sent: more lines than a run
// holds, or a character the code page lacks.
bool refusedByWindow(const QString &completed)
{
    return completed.count(u'\n') > maxSpeakLines
           || unencodableCharacterMessage(completed).has_value();
}

// The script's commands as the run's list: each line ended by CR LF.
QString completedScript(const CommandScript &script)
{
    QString completed;
    for (const ScriptLine &line : script.lines)
        completed += line.command + QLatin1String("\r\n");
    return completed;
}

} // namespace

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
    // Every refusal comes before the port is opened, so that a run refused for its arguments,
    // its input or its report ends with the usage status whatever state the port is in.
    if (!refusal.isEmpty())
        noteCause(refusal);
    const bool accepted = refusal.isEmpty() && acceptInput() && startReport();
    const int status = accepted ? run() : int(RunBadArguments);
    report(status);
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

bool ScriptedRun::acceptInput()
{
    return line_.scriptFile.isEmpty() ? acceptSpeakFile() : acceptScript();
}

bool ScriptedRun::acceptSpeakFile()
{
    if (!inputError_.isEmpty()) {
        noteCause(importFailureTitle + QStringLiteral(": ")
                  + importFailureMessage(line_.speakFile, inputError_).replace(u'\n', u' '));
        return false;
    }
    const QString text = form_.Text1_Text();
    if (text.isEmpty()) {
        noteEncoding(line_.speakFile);
        noteCause(
            QStringLiteral("%1: nothing to speak: the file has no lines").arg(line_.speakFile));
        return false;
    }
    if (beginsWithMsg(text) && !refusedByWindow(completeWithCrLf(text)))
        return true;
    noteEncoding(line_.speakFile);
    // Refused as 発話 refuses it, in the words of its box.
    form_.Command10_Click();
    recorder_.record().refusedIndex = refusableIndex_;
    return false;
}

bool ScriptedRun::acceptScript()
{
    if (!scriptText_) {
        noteCause(importFailureTitle + QStringLiteral(": ")
                  + importFailureMessage(line_.scriptFile, inputError_).replace(u'\n', u' '));
        return false;
    }
    const CommandScript script = readCommandScript(*scriptText_);
    if (script.isRefused()) {
        noteEncoding(line_.scriptFile);
        recorder_.record().refusedIndex = refusableIndex_;
        // One pass over the pattern: a file name or a line may hold "%1" itself.
        noteCause(
            script.refusedLine > 0
                ? QStringLiteral("%1 line %2: %3")
                      .arg(line_.scriptFile, QString::number(script.refusedLine), script.refusal)
                : QStringLiteral("%1: %2").arg(line_.scriptFile, script.refusal));
        return false;
    }
    const QString completed = completedScript(script);
    if (!refusedByWindow(completed))
        return true;
    noteEncoding(line_.scriptFile);
    form_.armRun(completed);
    return false;
}

bool ScriptedRun::startReport()
{
    // The report is there from the start, saying the run has not finished, so that CI has
    // one even when the program is killed; a report that cannot be written refuses the run.
    recorder_.record().cause = QStringLiteral("the run has not finished");
    return line_.junitFile.isEmpty() || writeReport();
}

bool ScriptedRun::armSpeakFile()
{
    noteEncoding(line_.speakFile);
    form_.Command10_Click();
    return true;
}

bool ScriptedRun::armScript()
{
    noteEncoding(line_.scriptFile);
    return form_.armRun(completedScript(readCommandScript(*scriptText_)));
}

void ScriptedRun::noteEncoding(const QString &path)
{
    emit form_.pumpNote(QStringLiteral("ENCODING"), encodingNote(path, reading_));
}
