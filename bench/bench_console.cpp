#include "bench_console.h"

#include "event_wait.h"

#include <QEventLoop>

#include <cstdio>

namespace {

int boxCount = 0;

constexpr int comeUpMs = 500;

} // namespace

BenchConsole::BenchConsole()
    : previous_(installMessageBoxHandler(
        [](const QString &prompt, int, const QString &title, const QString &, const QString &) {
            ++boxCount;
            std::fprintf(stderr, "message box \"%s\": %s\n", qPrintable(title), qPrintable(prompt));
        }))
    , form_(std::make_unique<Form1>())
{
    form_->show();
    runEventLoopFor(comeUpMs);
}

BenchConsole::~BenchConsole()
{
    form_.reset();
    installMessageBoxHandler(std::move(previous_));
}

bool BenchConsole::open()
{
    const int before = boxCount;
    form_->Command5_Click();
    // A port on the network opens on the event loop.
    if (form_->MSComm1->isOpening()) {
        QEventLoop wait;
        QObject::connect(form_->MSComm1, &SerialControl::openFinished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return boxCount == before && form_->MSComm1->PortOpen();
}

int BenchConsole::messageBoxes() const
{
    return boxCount;
}
