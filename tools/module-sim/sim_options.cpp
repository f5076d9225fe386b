#include "sim_options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <optional>

namespace {

constexpr int maxCharMs = 60000;
constexpr int maxFloodSeconds = 86400;
constexpr std::int64_t maxFloodBytes = std::int64_t(1) << 40;
constexpr std::int64_t maxByteRate = 10000000;
constexpr qsizetype maxStatusLength = 64;
constexpr std::int64_t maxReplyDelayMs = 60000;

const QCommandLineOption helpOption(QStringList{"h", "help"});
const QCommandLineOption linkOption("link", QString(), "PATH");
const QCommandLineOption logOption("log", QString(), "FILE");
const QCommandLineOption quietOption("quiet");
const QCommandLineOption silentOption("silent");
const QCommandLineOption splitOption("split");
const QCommandLineOption charMsOption("char-ms", QString(), "N");
const QCommandLineOption floodOption("flood", QString(), "SECONDS");
const QCommandLineOption floodBytesOption("flood-bytes", QString(), "N");
const QCommandLineOption busyStatusOption("busy-status", QString(), "TEXT");
const QCommandLineOption noIdleOption("no-idle");
const QCommandLineOption byteRateOption("byte-rate", QString(), "N");
const QCommandLineOption replyDelayOption("reply-delay", QString(), "MS");
const QCommandLineOption replyJitterOption("reply-jitter", QString(), "MIN-MAX");
const QCommandLineOption replyEndOption("reply-end", QString(), "cr|lf|none");
const QCommandLineOption loseEveryOption("lose-every", QString(), "N");
const QCommandLineOption losePercentOption("lose-percent", QString(), "P");
const QCommandLineOption unaskedOption("unasked-status", QString(), "MS");
const QCommandLineOption trickleOption("trickle", QString(), "MS");
const QCommandLineOption noLatchOption("no-latch");
const QCommandLineOption voiceOption("voice");
const QCommandLineOption wavOption("wav", QString(), "DIR");

SimArguments failure(const QString &error)
{
    SimArguments result;
    result.action = SimArguments::Action::Fail;
    result.error = error;
    return result;
}

// A whole number from 1 to max written in decimal digits only, or nothing.
std::optional<std::int64_t> positiveNumber(const QString &text, std::int64_t max)
{
    const bool digitsOnly = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!digitsOnly || !ok || value < 1 || value > max)
        return std::nullopt;
    return value;
}

// A status answer must be one line of printable ASCII: the console reads up to the CR.
bool isStatusText(const QString &text)
{
    return !text.isEmpty() && text.size() <= maxStatusLength
           && std::all_of(text.begin(), text.end(), [](QChar c) {
                  return c.unicode() >= 0x20 && c.unicode() < 0x7f;
              });
}

} // namespace

SimArguments parseSimArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({helpOption,        linkOption,        logOption,      quietOption,
                       silentOption,      splitOption,       charMsOption,   floodOption,
                       floodBytesOption,  busyStatusOption,  noIdleOption,   byteRateOption,
                       replyDelayOption,  replyJitterOption, replyEndOption, loseEveryOption,
                       losePercentOption, unaskedOption,     trickleOption,  noLatchOption,
                       voiceOption,       wavOption});
    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return failure("unexpected argument: " + parser.positionalArguments().constFirst());

    SimArguments result;
    if (parser.isSet(helpOption)) {
        result.action = SimArguments::Action::ShowHelp;
        return result;
    }
    for (const QCommandLineOption *single : {&linkOption,
                                             &logOption,
                                             &charMsOption,
                                             &floodOption,
                                             &floodBytesOption,
                                             &busyStatusOption,
                                             &byteRateOption,
                                             &replyDelayOption,
                                             &replyJitterOption,
                                             &replyEndOption,
                                             &loseEveryOption,
                                             &losePercentOption,
                                             &unaskedOption,
                                             &trickleOption,
                                             &wavOption}) {
        if (parser.values(*single).size() > 1)
            return failure("option given twice: --" + single->names().constFirst());
    }

    SimOptions &options = result.options;
    options.linkPath = parser.value(linkOption);
    options.logPath = parser.value(logOption);
    if (parser.isSet(linkOption) && options.linkPath.isEmpty())
        return failure("--link needs a path");
    if (parser.isSet(logOption) && options.logPath.isEmpty())
        return failure("--log needs a file name");
    options.quiet = parser.isSet(quietOption);
    options.silent = parser.isSet(silentOption);
    options.split = parser.isSet(splitOption);
    if (parser.isSet(charMsOption)) {
        const QString text = parser.value(charMsOption);
        bool ok = false;
        const int value = text.toInt(&ok);
        const bool digitsOnly
            = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
                  return c >= u'0' && c <= u'9';
              });
        if (!ok || !digitsOnly || value > maxCharMs)
            return failure(QString("--char-ms needs a whole number from 0 to %1").arg(maxCharMs));
        options.charMs = value;
    }
    if (parser.isSet(floodOption)) {
        const std::optional<std::int64_t> seconds
            = positiveNumber(parser.value(floodOption), maxFloodSeconds);
        if (!seconds)
            return failure(QString("--flood needs a whole number of seconds from 1 to %1")
                               .arg(maxFloodSeconds));
        options.floodSeconds = static_cast<int>(*seconds);
    }
    if (parser.isSet(floodBytesOption)) {
        const std::optional<std::int64_t> bytes
            = positiveNumber(parser.value(floodBytesOption), maxFloodBytes);
        if (!bytes)
            return failure(
                QString("--flood-bytes needs a whole number from 1 to %1").arg(maxFloodBytes));
        options.floodBytes = *bytes;
    }
    if (parser.isSet(busyStatusOption)) {
        const QString text = parser.value(busyStatusOption);
        if (!isStatusText(text))
            return failure(QString("--busy-status needs 1 to %1 printable ASCII characters")
                               .arg(maxStatusLength));
        options.busyStatus = text.toLatin1();
    }
    options.neverIdle = parser.isSet(noIdleOption);
    if (parser.isSet(byteRateOption)) {
        const std::optional<std::int64_t> rate
            = positiveNumber(parser.value(byteRateOption), maxByteRate);
        if (!rate)
            return failure(
                QString("--byte-rate needs a whole number from 1 to %1").arg(maxByteRate));
        options.byteRate = *rate;
    }
    if (parser.isSet(replyDelayOption)) {
        const std::optional<std::int64_t> delay
            = positiveNumber(parser.value(replyDelayOption), maxReplyDelayMs);
        if (!delay)
            return failure(
                QString("--reply-delay needs a whole number from 1 to %1").arg(maxReplyDelayMs));
        options.replyDelayMs = int(*delay);
    }
    if (parser.isSet(replyJitterOption)) {
        // Two whole numbers of ms, MIN-MAX, each from 0 to the delay's limit, MIN <= MAX.
        const QStringList bounds = parser.value(replyJitterOption).split(u'-');
        std::optional<std::int64_t> low;
        std::optional<std::int64_t> high;
        if (bounds.size() == 2) {
            low = bounds[0] == QLatin1String("0") ? 0 : positiveNumber(bounds[0], maxReplyDelayMs);
            high = bounds[1] == QLatin1String("0") ? 0 : positiveNumber(bounds[1], maxReplyDelayMs);
        }
        if (!low || !high || *low > *high)
            return failure(QString("--reply-jitter needs MIN-MAX, two whole numbers of ms from 0 "
                                   "to %1 with MIN not above MAX")
                               .arg(maxReplyDelayMs));
        options.replyJitterMinMs = int(*low);
        options.replyJitterMaxMs = int(*high);
    }
    if (parser.isSet(replyEndOption)) {
        const QString end = parser.value(replyEndOption);
        if (end != QLatin1String("cr") && end != QLatin1String("lf")
            && end != QLatin1String("none"))
            return failure("--reply-end needs cr, lf or none");
        options.replyEnd = end == QLatin1String("cr")   ? "\r"
                           : end == QLatin1String("lf") ? "\n"
                                                        : "";
    }
    // The line's faults: each a whole number within its range.
    const struct
    {
        const QCommandLineOption &option;
        std::int64_t max;
        int &value;
    } faults[] = {{loseEveryOption, 1000, options.loseEvery},
                  {losePercentOption, 100, options.losePercent},
                  {unaskedOption, maxReplyDelayMs, options.unaskedMs},
                  {trickleOption, maxReplyDelayMs, options.trickleMs}};
    for (const auto &fault : faults) {
        if (!parser.isSet(fault.option))
            continue;
        const std::optional<std::int64_t> value
            = positiveNumber(parser.value(fault.option), fault.max);
        if (!value || (&fault.option == &loseEveryOption && *value < 2))
            return failure(QString("--%1 needs a whole number from %2 to %3")
                               .arg(fault.option.names().constFirst())
                               .arg(&fault.option == &loseEveryOption ? 2 : 1)
                               .arg(fault.max));
        fault.value = int(*value);
    }
    options.noLatch = parser.isSet(noLatchOption);
    options.voice = parser.isSet(voiceOption);
    options.wavFolder = parser.value(wavOption);
    if (parser.isSet(wavOption) && options.wavFolder.isEmpty())
        return failure("--wav needs a folder");
    result.action = SimArguments::Action::Run;
    return result;
}

QString simUsage()
{
    return QStringLiteral(
        "Usage: parlino-sim [options]\n"
        "A simulated speech module on a pseudo-terminal. Prints the terminal's path as its first\n"
        "line, then answers command lines until SIGTERM, SIGINT or SIGHUP, or until its\n"
        "standard input ends when that is a pipe or a socket (a terminal, /dev/null or a\n"
        "closed standard input is not watched).\n"
        "\n"
        "Options:\n"
        "  --link PATH    also make PATH a symbolic link to the terminal (removed at exit)\n"
        "  --log FILE     log every byte received (IN) and sent (OUT), one record a line:\n"
        "                 <seconds since start> <IN|OUT> <bytes as hex> TAB <their text>\n"
        "                 (code page 932, control characters as \\r, \\xNN); a log left by\n"
        "                 an earlier run is kept as FILE.1\n"
        "  --char-ms N    speaking time per character at speed 100, in ms (default 80);\n"
        "                 with --voice or --wav only for a line that cannot be synthesised\n"
        "  --quiet        do not acknowledge commands with '>' or '?'\n"
        "  --silent       answer nothing at all\n"
        "  --split        write every answer in two parts, 40 ms apart\n"
        "  --busy-status TEXT\n"
        "                 while busy (speaking, chime, storing) answer STT with TEXT and CR\n"
        "                 instead of 'stt 1', e.g. 'stt 2'; idle is still 'stt 0' and a\n"
        "                 latched error still 'stt-1'\n"
        "  --no-idle      never report idle: where STT would be answered 'stt 0' answer as\n"
        "                 while busy ('stt 1', or the --busy-status text); commands are still\n"
        "                 carried out and acknowledged as usual\n"
        "  --byte-rate N  read at most N bytes a second from the line (1 to 10000000), as a\n"
        "                 real line does: 38400 bit/s 8N1 is 3840; a console writing faster\n"
        "                 fills its own output buffer. Bytes are logged when read\n"
        "  --reply-delay MS\n"
        "                 write every answer MS ms (1 to 60000) after its command arrived,\n"
        "                 saying the state as it was when the command arrived\n"
        "  --reply-jitter MIN-MAX\n"
        "                 write each answer a random time from MIN to MAX ms (0 to 60000)\n"
        "                 later still, answers keeping their order\n"
        "  --reply-end cr|lf|none\n"
        "                 end every answer with CR (the default), LF, or nothing\n"
        "  --lose-every N lose every Nth status answer on the way (2: every other), as a\n"
        "                 lossy path does; acknowledgements and the version still arrive\n"
        "  --lose-percent P\n"
        "                 lose each status answer with a chance of P % (1 to 100)\n"
        "  --unasked-status MS\n"
        "                 also send the status every MS ms without being asked\n"
        "  --trickle MS   write every answer a byte at a time, MS ms apart\n"
        "  --no-latch     answer a refused command '?' without latching the error\n"
        "  --voice        speak each line (MSG, SEL) aloud in Japanese with espeak-ng at the\n"
        "                 speed set with SPD, and play the chimes, on the default audio\n"
        "                 output; 'stt 1' lasts as long as the audio and CLR0 cuts it short.\n"
        "                 Without an audio output it says so once and only times the speech\n"
        "  --wav DIR      write each sound to DIR/NNNN.wav (0001.wav, ... 16-bit mono),\n"
        "                 timed as with --voice; with --voice it is also played. With\n"
        "                 --log, each sound adds a record when its length is known:\n"
        "                 <seconds> AUDIO <NNNN> <start seconds> <length seconds>\n"
        "                 and a stop that cuts one short: <seconds> AUDIO-CUT <NNNN>\n"
        "  --flood SECONDS\n"
        "                 from the first byte received, send random bytes as fast as the\n"
        "                 terminal takes them for SECONDS seconds, still answering commands;\n"
        "                 the log gets one line a second: <seconds> OUT-FLOOD <byte count>\n"
        "  --flood-bytes N\n"
        "                 likewise, but stop after N random bytes (with --flood: whichever\n"
        "                 limit comes first)\n"
        "  -h, --help     show this text\n");
}
