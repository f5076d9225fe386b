// The simulator's voice over a real pseudo-terminal with --wav: each sound is a WAV file of
// plausible length that is not silence, the speed and the length of a line show in it, "stt 1"
// lasts as long as the audio, SEL speaks the stored text, the chimes are two distinct tones, a
// stop cuts a sound short; and --voice plays on an output (ALSA's null device here) or, without
// one, says so once and carries on.
#include "model_helpers.h"
#include "pty_client.h"
#include "qt_printers.h"
#include "support/sim_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr double silenceRms = 300; // of 32767: espeak-ng's speech is about ten times louder

struct Wav
{
    int sampleRate = 0;
    QList<qint16> samples;

    double seconds() const { return sampleRate ? double(samples.size()) / sampleRate : 0; }
    double rms() const
    {
        double sum = 0;
        for (const qint16 sample : samples)
            sum += double(sample) * sample;
        return samples.isEmpty() ? 0 : std::sqrt(sum / double(samples.size()));
    }
};

// Reads a 16-bit mono PCM WAVE file; a file of any other form fails the test and reads empty.
Wav readWav(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no WAV file " << path.toStdString();
        return {};
    }
    const QByteArray bytes = file.readAll();
    const auto u16 = [&](qsizetype at) {
        return qFromLittleEndian<quint16>(bytes.constData() + at);
    };
    const auto u32 = [&](qsizetype at) {
        return qFromLittleEndian<quint32>(bytes.constData() + at);
    };
    const bool valid = bytes.size() >= 44 && bytes.startsWith("RIFF")
                       && bytes.mid(8, 8) == "WAVEfmt " && u32(4) == bytes.size() - 8
                       && u32(16) == 16 && u16(20) == 1 && u16(22) == 1 && u32(28) == 2 * u32(24)
                       && u16(32) == 2 && u16(34) == 16 && bytes.mid(36, 4) == "data"
                       && u32(40) == bytes.size() - 44;
    if (!valid) {
        ADD_FAILURE() << path.toStdString() << " is not a 16-bit mono PCM WAVE file";
        return {};
    }
    Wav wav;
    wav.sampleRate = static_cast<int>(u32(24));
    for (qsizetype at = 44; at < bytes.size(); at += 2)
        wav.samples.append(static_cast<qint16>(u16(at)));
    return wav;
}

// A simulator with a WAV folder, and the console's end of its terminal.
struct VoicedSim
{
    explicit VoicedSim(const QStringList &more = {})
        : sim(QStringList{"--wav", wavs.path()} + more)
        , console(sim.ptyPath())
    {}

    // Sends a command and waits until the module reports idle again; returns how long "stt 1"
    // lasted from the acknowledgement, in seconds.
    double busyFor(const QString &line)
    {
        EXPECT_EQ(console.ask(cp932(line) + '\r'), ">\r") << line.toStdString();
        QElapsedTimer busy;
        busy.start();
        QByteArray status;
        while (busy.elapsed() < 10000 && (status = console.ask("STT\r")) == "stt 1\r")
            console.readChunksFor(5);
        EXPECT_EQ(status, "stt 0\r");
        return double(busy.nsecsElapsed()) / 1e9;
    }

    Wav wav(int number) const
    {
        return readWav(wavs.filePath(QString("%1.wav").arg(number, 4, 10, QChar(u'0'))));
    }

    QTemporaryDir wavs; // first: the simulator is started with its path
    SimModule sim;
    PtyClient console;
};

TEST(SimVoice, SpeechIsTimedByItsAudioWhichFollowsLengthAndSpeed)
{
    VoicedSim voiced;
    // Each line's audio against the first one's, five kana at the normal speed.
    const struct
    {
        int speed;
        const char16_t *line;
        double atLeast, atMost;
    } lines[] = {{100, u"MSGあいうえお", 1, 1},
                 {100, u"MSGあいうえおかきくけこさしすせそ", 1.5, 10}, // a longer line
                 {50, u"MSGあいうえお", 1.5, 10},                      // a lower speed
                 {300, u"MSGアイウエオ", 0.1, 0.75}};                  // a higher speed
    for (int i = 0; i < int(std::size(lines)); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(voiced.console.ask(QString("SPD%1\r").arg(lines[i].speed).toLatin1()), ">\r");
        const double busy = voiced.busyFor(QString::fromUtf16(lines[i].line));
        const Wav wav = voiced.wav(i + 1);
        EXPECT_GT(wav.rms(), silenceRms);
        EXPECT_GE(wav.seconds() / voiced.wav(1).seconds(), lines[i].atLeast);
        EXPECT_LE(wav.seconds() / voiced.wav(1).seconds(), lines[i].atMost);
        // The poll's own round trip is in the busy time: a few milliseconds at most.
        if (wav.seconds() > 0.3) {
            EXPECT_NEAR(busy, wav.seconds(), 0.1 * wav.seconds());
        }
    }
    EXPECT_GT(voiced.wav(1).seconds(), 0.3);
}

TEST(SimVoice, SelSpeaksTheStoredTextAsMsgDoes)
{
    VoicedSim voiced;
    voiced.busyFor("EEP05カタカナ"); // storing makes no sound and no file
    voiced.busyFor("SEL05");
    voiced.busyFor("MSGカタカナ");
    voiced.busyFor("MSGひらがなや、かたかなで");
    // The synthesiser's pitch wavers from line to line, so the same text gives the same length,
    // not the same samples.
    const Wav played = voiced.wav(1);
    EXPECT_GT(played.rms(), silenceRms);
    EXPECT_NEAR(played.seconds(), voiced.wav(2).seconds(), 0.03 * played.seconds());
    EXPECT_GT(voiced.wav(3).seconds(), 1.5 * played.seconds());
}

TEST(SimVoice, ChimesAreTwoDistinctTonesTimedByTheirLength)
{
    VoicedSim voiced;
    const double busyOne = voiced.busyFor("SSD01");
    const double busyTwo = voiced.busyFor("SSD02");
    const Wav one = voiced.wav(1);
    const Wav two = voiced.wav(2);
    for (const auto &[wav, busy] : {std::pair{one, busyOne}, std::pair{two, busyTwo}}) {
        EXPECT_GT(wav.seconds(), 0.3);
        EXPECT_LT(wav.seconds(), 2.0);
        EXPECT_GT(wav.rms(), silenceRms);
        EXPECT_NEAR(busy, wav.seconds(), 0.1 * wav.seconds());
    }
    EXPECT_TRUE(one.samples != two.samples);
}

TEST(SimVoice, StopCutsTheSoundShortAndTheLogShowsWhen)
{
    VoicedSim voiced;
    const QByteArray line = cp932(QStringLiteral("MSGあいうえおかきくけこさしすせそたちつてと\r"));
    ASSERT_EQ(voiced.console.ask(line), ">\r");
    ASSERT_EQ(voiced.console.ask("STT\r"), "stt 1\r");
    ASSERT_EQ(voiced.console.ask("CLR0\r"), ">\r");
    EXPECT_EQ(voiced.console.ask("STT\r"), "stt 0\r");
    // An AUDIO record with the file's length, and the cut.
    QByteArray log;
    ASSERT_TRUE(voiced.sim.waitUntil(
        [&] {
            QFile file(voiced.sim.logPath());
            return file.open(QIODevice::ReadOnly) && (log = file.readAll()).contains("AUDIO 0001");
        },
        2000));
    const Wav whole = voiced.wav(1); // the file keeps the whole line
    EXPECT_GT(whole.seconds(), 1.0);
    const QRegularExpressionMatch audio
        = QRegularExpression(" AUDIO 0001 [0-9.]+ ([0-9.]+)\n").match(QString::fromLatin1(log));
    ASSERT_TRUE(audio.hasMatch()) << log.toStdString();
    EXPECT_NEAR(audio.captured(1).toDouble(), whole.seconds(), 1e-5);
    EXPECT_TRUE(log.contains(" AUDIO-CUT 0001\n"));
}

struct OutputCase
{
    const char *name;
    const char *alsaConfiguration; // the only ALSA configuration the simulator sees
    bool warns;
};

void PrintTo(const OutputCase &c, std::ostream *os)
{
    *os << c.name;
}

class VoiceOutput : public ::testing::TestWithParam<OutputCase>
{
};

TEST_P(VoiceOutput, PlaysOrSaysOnceThatItCannotAndTimesAndStopsSpeechEitherWay)
{
    QTemporaryDir folder;
    QFile configuration(folder.filePath("asound.conf"));
    ASSERT_TRUE(configuration.open(QIODevice::WriteOnly));
    configuration.write(GetParam().alsaConfiguration);
    configuration.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PULSE_SERVER", "unix:/nonexistent"); // no sound server: ALSA only
    environment.insert("ALSA_CONFIG_PATH", configuration.fileName());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(PARLINO_SIM_PATH, {"--voice"});
    ASSERT_TRUE(process.waitForReadyRead(5000));
    PtyClient console(QString::fromLocal8Bit(process.readLine().trimmed()));

    ASSERT_EQ(console.ask(cp932(QStringLiteral("MSGあいうえおかきくけこさしすせそ\r"))), ">\r");
    EXPECT_EQ(console.ask("STT\r"), "stt 1\r");
    EXPECT_EQ(console.ask("CLR0\r"), ">\r");
    EXPECT_EQ(console.ask("STT\r"), "stt 0\r");
    ASSERT_EQ(console.ask(cp932(QStringLiteral("MSGあいうえお\r"))), ">\r");
    QElapsedTimer busy;
    busy.start();
    while (busy.elapsed() < 5000 && console.ask("STT\r") == "stt 1\r")
        console.readChunksFor(5);
    EXPECT_GT(busy.elapsed(), 300); // five kana take about half a second

    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray errors = process.readAllStandardError();
    EXPECT_EQ(errors.count('\n'), GetParam().warns ? 1 : 0) << errors.toStdString();
    EXPECT_EQ(errors.contains("no audio output"), GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    VoiceOutput,
    ::testing::Values(OutputCase{"no sound card", "", true},
                      OutputCase{"ALSA's null device", "pcm.!default { type null }\n", false}));

} // namespace
