// A model check of the line pump: a simulated module behind a faulty line (lost and repeated
// status, unasked status, latency and jitter in order, replies trickled a byte at a time,
// refused lines), driven through the real window and pump with simulated time, over many
// generated runs. PARLINO_MODEL_RUNS sets how many (the long property run).
#include "simulated_line.h"
#include "support/form_fixture.h"
#include "text/cp932.h"

#include <QSignalSpy>

#include <random>

namespace {

struct Drawn
{
    SimulatedLine::Setup setup;
    QStringList lines;
};

Drawn draw(std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    Drawn drawn;
    SimulatedLine::Setup &s = drawn.setup;
    s.seed = seed;
    s.model.charMs = pick(10, 120);
    s.model.quiet = pick(0, 4) == 0;
    s.model.latchRefusals = pick(0, 1) == 1;
    // Without acknowledgements a lost status is found only on a quiet line: no losses then.
    if (!s.model.quiet) {
        s.faults.loseEvery = pick(0, 2) == 0 ? pick(2, 3) : 0;
        s.faults.losePercent = pick(0, 1) * pick(0, 30);
    }
    // Nor, for such a module, a status sent twice or unasked: a reply then tells nothing of
    // which poll it answers.
    s.faults.repeatPercent = pick(0, 3) == 0 && !s.model.quiet ? 10 : 0;
    s.faults.unaskedStatusMs = pick(0, 3) == 0 && !s.model.quiet ? pick(100, 500) : 0;
    // A line that carries less than the module sends unasked or twice, with the polls
    // answered as well, falls behind without end: no slow trickle then.
    s.faults.trickleMs = pick(0, 3) == 0 && s.faults.unaskedStatusMs == 0 ? pick(20, 300) : 0;
    if (s.faults.repeatPercent > 0)
        s.faults.trickleMs = std::min(s.faults.trickleMs, 50);
    s.delayMs = pick(0, 300);
    s.jitterMaxMs = pick(0, 1) * pick(0, 300);
    for (int i = pick(1, 8); i > 0; --i)
        drawn.lines << (pick(0, 9) == 0 ? QStringLiteral("MSGabc")
                                        : QStringLiteral("MSG") + QString(pick(1, 8), u'あ'));
    return drawn;
}

class PumpModel : public FormTest
{
};

TEST_F(PumpModel, NoLineWhileBusyBoundedWaitsAndTrueOutcomes)
{
    const int runs = qEnvironmentVariableIntValue("PARLINO_MODEL_RUNS");
    for (int run = 0; run < (runs > 0 ? runs : 40); ++run) {
        const Drawn drawn = draw(std::uint64_t(run) + 1);
        const SimulatedLine::Setup &s = drawn.setup;
        SCOPED_TRACE(testing::Message()
                     << "seed " << run + 1 << ": char " << s.model.charMs << " quiet "
                     << s.model.quiet << " latch " << s.model.latchRefusals << " lose "
                     << s.faults.loseEvery << "/" << s.faults.losePercent << "% repeat "
                     << s.faults.repeatPercent << "% unasked " << s.faults.unaskedStatusMs
                     << " trickle " << s.faults.trickleMs << " delay " << s.delayMs << "+"
                     << s.jitterMaxMs << " lines " << drawn.lines.join(u' ').toStdString());
        createForm();
        openPort();
        form->pumpClock().simulate(0);
        SimulatedLine line(s);
        QSignalSpy refused(form.get(), &Form1::commandRefused);
        form->setText1_Text(drawn.lines.join(QStringLiteral("\r\n")));
        form->Command10_Click();
        form->Timer1->stop();
        form->Timer2->stop();
        QList<std::int64_t> lostAtLine;
        std::int64_t now = 0;
        for (; now < 600000 && form->Snd_flg == 1; now += 10) {
            form->pumpClock().advance(10);
            if (const QByteArray in = line.read(now); !in.isEmpty())
                serial->deliver(QString::fromLatin1(in));
            if (now % 100 != 0)
                continue;
            serial->written.clear();
            form->Timer1_Timer();
            for (const QString &text : std::as_const(serial->written)) {
                if (text.startsWith(QLatin1String("MSG")))
                    lostAtLine << line.statusLost();
                line.write(cp932::encode(text), now);
            }
        }
        ASSERT_EQ(form->Snd_flg, 0) << "the run did not end";
        // The module's own account.
        const std::int64_t slowest = 1000 + 100 + 2 * (s.delayMs + s.jitterMaxMs)
                                     + 8 * s.faults.trickleMs + 3 * s.faults.unaskedStatusMs;
        int lines = 0;
        int linesRefused = 0;
        bool latched = false;
        const SimulatedLine::Taken *previous = nullptr;
        for (const SimulatedLine::Taken &taken : line.taken()) {
            if (!taken.command.startsWith("MSG"))
                continue;
            EXPECT_FALSE(taken.busy) << "a line went while the module spoke: " << taken.atMs;
            if (previous && !latched) {
                const std::int64_t lost = lostAtLine[lines] - lostAtLine[lines - 1];
                EXPECT_LE(taken.atMs - std::max(previous->atMs, previous->idleAtMs),
                          (lost + 2) * slowest
                              + (s.model.quiet && lines == 1 ? StatusPolls::windowLateMs : 0))
                    << "line " << lines << " waited too long";
            }
            latched = latched || (taken.refused && s.model.latchRefusals);
            linesRefused += taken.refused ? 1 : 0;
            ++lines;
            previous = &taken;
        }
        // What the console reports is what the module did.
        EXPECT_EQ(form->runOutcome(), latched ? RunOutcome::ModuleError : RunOutcome::Spoken);
        if (!latched) {
            EXPECT_EQ(lines, drawn.lines.size());
            EXPECT_EQ(form->runHadRefusal(), linesRefused > 0 && !s.model.quiet);
        }
        if (!s.model.quiet && !latched) {
            EXPECT_EQ(refused.size(), linesRefused);
        }
    }
}

} // namespace
