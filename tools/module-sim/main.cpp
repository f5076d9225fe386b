// parlino-sim: a simulated speech module on a pseudo-terminal, for trying and testing the console
// without the hardware.
#include "byte_log.h"
#include "pseudo_terminal.h"
#include "sim_options.h"
#include "sim_server.h"
#include "stop_signals.h"
#include "terminal_link.h"
#include "voice.h"

#include <QDir>
#include <QStringList>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int exitFailure = 1;

// A closed standard stream is opened on /dev/null, so that the pseudo-terminal does not take
// its number: the path printed on "standard output" would otherwise go to the module's line.
void fillClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", O_RDWR); // takes the lowest free number: this one
    }
}

// Only a pipe or a socket on standard input says something when it ends: whoever started the
// simulator holds its other end and is gone. A shell script's background job gets /dev/null,
// which ends at once, and a terminal would stop a background job that reads it; neither is
// watched, and the simulator then runs until a stop signal.
bool inputEndsWithItsStarter()
{
    struct stat info
    {
    };
    return ::fstat(STDIN_FILENO, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}
// How long start-up waits at most for the speech library and the audio output.
constexpr std::chrono::seconds voiceStartTimeout{3};

int fail(const QString &error)
{
    std::fprintf(stderr, "parlino-sim: %s\n", qPrintable(error));
    return exitFailure;
}

} // namespace

int main(int argc, char **argv)
{
    const auto start = std::chrono::steady_clock::now();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const SimArguments parsed = parseSimArguments(arguments);
    if (parsed.action == SimArguments::Action::ShowHelp) {
        std::fputs(qPrintable(simUsage()), stdout);
        return 0;
    }
    if (parsed.action == SimArguments::Action::Fail) {
        std::fprintf(
            stderr, "parlino-sim: %s\n%s", qPrintable(parsed.error), qPrintable(simUsage()));
        return exitUsage;
    }
    const SimOptions &options = parsed.options;

    fillClosedStandardStreams();
    // Signals first, so that a stop arriving at any later point still removes the link.
    QString error;
    StopSignals stopSignals;
    if (!stopSignals.install(&error))
        return fail(error);
    const std::optional<PseudoTerminal> terminal = PseudoTerminal::open(&error);
    if (!terminal)
        return fail(error);
    ByteLog log;
    if (!options.logPath.isEmpty() && !log.open(options.logPath, &error))
        return fail(error);
    TerminalLink link;
    if (!options.linkPath.isEmpty()
        && !link.create(options.linkPath, terminal->terminalPath(), &error))
        return fail(error);

    if (!options.wavFolder.isEmpty() && !QDir().mkpath(options.wavFolder))
        return fail(options.wavFolder + ": cannot create the folder");
    std::optional<Voice> voice;
    if (options.voice || !options.wavFolder.isEmpty())
        voice.emplace(Voice::Setup{options.voice, options.wavFolder, start});
    // The module is ready when its voice is: the first line is then timed like every other.
    if (voice)
        voice->waitUntilReady(voiceStartTimeout);

    std::printf("%s\n", qPrintable(terminal->terminalPath()));
    std::fflush(stdout);

    SimServer::Setup setup;
    setup.master = terminal->master();
    setup.inputFd = inputEndsWithItsStarter() ? STDIN_FILENO : -1;
    setup.stop = &stopSignals;
    setup.log = &log;
    setup.model.charMs = options.charMs;
    setup.model.quiet = options.quiet;
    setup.model.silent = options.silent;
    setup.model.busyStatus = options.busyStatus;
    setup.model.neverIdle = options.neverIdle;
    setup.model.latchRefusals = !options.noLatch;
    setup.faults = LineFaultSettings{
        options.loseEvery, options.losePercent, options.unaskedMs, options.trickleMs};
    setup.model.audioTimed = voice.has_value();
    setup.split = options.split;
    setup.flood
        = FloodSource::Limits{std::int64_t(options.floodSeconds) * 1000, options.floodBytes};
    setup.byteRate = options.byteRate;
    setup.replyDelayMs = options.replyDelayMs;
    setup.jitterMinMs = options.replyJitterMinMs;
    setup.jitterMaxMs = options.replyJitterMaxMs;
    setup.replyEnd = options.replyEnd;
    setup.voice = voice ? &*voice : nullptr;
    setup.start = start;
    SimServer server(setup);
    return server.run();
}
