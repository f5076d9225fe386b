#include "support/console_fixture.h"

void ConsoleOnSim::SetUp()
{
    work.copyData();
    sim = std::make_unique<SimModule>(simArguments());
    ASSERT_FALSE(sim->ptyPath().isEmpty());
    form = std::make_unique<Form1>();
    form->Command5_Click();
    ASSERT_TRUE(boxes.boxes.isEmpty());
    ASSERT_TRUE(form->MSComm1->PortOpen());
}

void ConsoleOnSim::TearDown()
{
    form.reset();
    sim.reset();
}

void ConsoleOnSim::speak(const QString &text)
{
    form->setText1_Text(text);
    form->Command10_Click();
}

bool ConsoleOnSim::waitForRunEnd(int timeoutMs)
{
    return sim->waitUntil([this] { return form->Snd_flg == 0; }, timeoutMs);
}

QList<QByteArray> ConsoleOnSim::linesReceived() const
{
    QList<QByteArray> lines;
    for (const SimLogRecord &record : sim->log()) {
        if (record.in && record.bytes != "STT\r")
            lines.append(record.bytes);
    }
    return lines;
}
