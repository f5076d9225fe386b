// What a scripted run tells: its causes on standard error, its progress, its JUnit report and
// its summary line.
#include "app/scripted_run.h"

#include "link/transcript.h"
#include "platform/console_output.h"
#include "report/run_summary.h"
#include "ui/form1.h"

#include <QLineEdit>

#include <algorithm>

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
