#include "report/progress.h"

#include "platform/terminal.h"
#include "text/visible_text.h"

#include <algorithm>

QString progressText(const ProgressState &state)
{
    const qint64 seconds = state.elapsedMs / 1000;
    QString text = QStringLiteral("line %1/%2, pass %3/%4, %5:%6:%7")
                       .arg(state.line)
                       .arg(state.lines)
                       .arg(state.pass)
                       .arg(state.passes)
                       .arg(seconds / 3600)
                       .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    // The reply's own line end says nothing here.
    if (const QString status = state.status.trimmed(); !status.isEmpty())
        text += QStringLiteral(", ") + visibleText(status);
    return text;
}

RunProgress::RunProgress(Form form, Writer write)
    : form_(form)
    , write_(std::move(write))
{
    if (form_ == Form::Terminal)
        setConsoleStatusEraser([this] { erase(); });
}

RunProgress::~RunProgress()
{
    if (form_ == Form::Terminal) {
        setConsoleStatusEraser({});
        erase();
    }
}

void RunProgress::update(const ProgressState &state)
{
    const QString text = progressText(state);
    if (form_ == Form::Log) {
        if (state.elapsedMs - lastLogMs_ < logIntervalMs)
            return;
        lastLogMs_ = state.elapsedMs;
        write_(QStringLiteral("parlino: %1\n").arg(text));
        return;
    }
    if (text == shown_)
        return;
    // Rewritten in place: the cursor goes back to the line's start, and what the new text
    // does not cover of the old is blanked.
    const qsizetype blank = std::max<qsizetype>(0, shown_.size() - text.size());
    write_(u'\r' + text + QString(blank, u' ') + QString(blank, u'\b'));
    shown_ = text;
}

void RunProgress::passEnded(const ProgressState &state)
{
    if (form_ == Form::Terminal) {
        update(state);
        return;
    }
    lastLogMs_ = state.elapsedMs;
    write_(QStringLiteral("parlino: pass %1/%2 done: %3\n")
               .arg(state.pass)
               .arg(state.passes)
               .arg(progressText(state)));
}

void RunProgress::erase()
{
    if (form_ != Form::Terminal || shown_.isEmpty())
        return;
    write_(u'\r' + QString(shown_.size(), u' ') + u'\r');
    shown_.clear();
}
