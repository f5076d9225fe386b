#include "speech_model.h"

#include "command_line_decoder.h"
#include "speakable_text.h"

#include <algorithm>
#include <utility>

namespace {

const QByteArray acknowledgement = ">";
// The answer to a command that is refused or not understood.
const QByteArray refusal = "?";

bool isAsciiDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= u'0' && c.unicode() <= u'9';
    });
}

// Reads exactly two ASCII digits naming a slot from 1 to the slot count.
std::optional<int> slotNumber(QStringView digits)
{
    if (digits.size() != 2 || !isAsciiDigits(digits))
        return std::nullopt;
    const int slot = digits.toInt();
    if (slot < 1 || slot > SpeechModel::slotCount)
        return std::nullopt;
    return slot;
}

} // namespace

const std::array<SpeechModel::Command, 9> SpeechModel::commands{{
    {u"VER", false, Gate::Always, &SpeechModel::version},
    {u"STT", false, Gate::Always, &SpeechModel::status},
    {u"CLR0", false, Gate::Always, &SpeechModel::clearError},
    {u"SSD01", false, Gate::Idle, &SpeechModel::chimeOne},
    {u"SSD02", false, Gate::Idle, &SpeechModel::chimeTwo},
    {u"MSG", true, Gate::Idle, &SpeechModel::speak},
    {u"SPD", true, Gate::NotLatched, &SpeechModel::setSpeed},
    {u"EEP", true, Gate::Idle, &SpeechModel::store},
    {u"SEL", true, Gate::Idle, &SpeechModel::play},
}};

SpeechModel::SpeechModel(ModelSettings settings)
    : m_settings(settings)
{}

QString SpeechModel::slotText(int slot) const
{
    if (slot < 1 || slot > slotCount)
        return {};
    return m_slots[static_cast<std::size_t>(slot - 1)];
}

QList<SoundRequest> SpeechModel::takeSoundRequests()
{
    return std::exchange(m_soundRequests, {});
}

void SpeechModel::soundTimed(std::int64_t id, std::int64_t endMs)
{
    if (id != noSound && id == m_soundId && m_busyUntilMs == untilTimed)
        m_busyUntilMs = endMs;
}

QList<QByteArray> SpeechModel::receive(QByteArrayView chunk, std::int64_t nowMs)
{
    QList<QByteArray> answers;
    for (const AssembledLine &line : m_lines.feed(chunk))
        answers += handleLine(line, nowMs);
    return answers;
}

QList<QByteArray> SpeechModel::handleLine(const AssembledLine &line, std::int64_t nowMs)
{
    if (line.bytes.isEmpty() && !line.overlong)
        return {}; // a lone CR
    const std::optional<QString> text
        = line.overlong ? std::nullopt : decodeCommandLine(line.bytes);
    if (!text)
        return refuse(true);

    const auto command = std::find_if(commands.begin(), commands.end(), [&](const Command &c) {
        const QStringView name(c.name);
        return c.takesArgument ? text->startsWith(name) : *text == name;
    });
    if (command == commands.end())
        return refuse(true);
    if (m_errorLatched && command->gate != Gate::Always)
        return refuse(false);
    if (isBusy(nowMs) && command->gate == Gate::Idle)
        return refuse(true);

    const QStringView argument = QStringView(*text).sliced(QStringView(command->name).size());
    const std::optional<QByteArray> answer = (this->*command->handler)(argument, nowMs);
    if (!answer)
        return refuse(true);
    return answerWith(*answer);
}

QByteArray SpeechModel::statusNow(std::int64_t nowMs)
{
    const QList<QByteArray> answer = answerWith(*status({}, nowMs));
    return answer.isEmpty() ? QByteArray() : answer.constFirst();
}

QList<QByteArray> SpeechModel::refuse(bool latch)
{
    if (latch && m_settings.latchRefusals)
        m_errorLatched = true;
    return answerWith(refusal);
}

QList<QByteArray> SpeechModel::answerWith(const QByteArray &answer) const
{
    const bool acknowledging = answer == acknowledgement || answer == refusal;
    if (m_settings.silent || (m_settings.quiet && acknowledging))
        return {};
    return {answer + '\r'};
}

std::optional<QByteArray> SpeechModel::version(QStringView, std::int64_t)
{
    return QByteArray("ver 1.00");
}

std::optional<QByteArray> SpeechModel::status(QStringView, std::int64_t nowMs)
{
    if (m_errorLatched)
        return QByteArray("stt-1");
    if (isBusy(nowMs) || m_settings.neverIdle)
        return m_settings.busyStatus;
    return QByteArray("stt 0");
}

std::optional<QByteArray> SpeechModel::clearError(QStringView, std::int64_t nowMs)
{
    m_errorLatched = false;
    if (m_soundId != noSound && isBusy(nowMs)) {
        // A stop silences the sound and ends its busy time at once.
        SoundRequest stop;
        stop.kind = SoundRequest::Kind::Stop;
        stop.id = m_soundId;
        m_soundRequests.append(stop);
        m_busyUntilMs = nowMs;
    }
    m_soundId = noSound;
    return acknowledgement;
}

std::optional<QByteArray> SpeechModel::speak(QStringView text, std::int64_t nowMs)
{
    if (text.isEmpty() || !isSpeakableText(text))
        return std::nullopt;
    speakText(text, nowMs);
    return acknowledgement;
}

std::optional<QByteArray> SpeechModel::setSpeed(QStringView digits, std::int64_t)
{
    if (!isAsciiDigits(digits))
        return std::nullopt;
    bool ok = false;
    const int speed = digits.toInt(&ok);
    if (!ok || speed < minSpeed || speed > maxSpeed)
        return std::nullopt;
    m_speed = speed;
    return acknowledgement;
}

std::optional<QByteArray> SpeechModel::chimeOne(QStringView, std::int64_t nowMs)
{
    playChime(1, nowMs);
    return acknowledgement;
}

std::optional<QByteArray> SpeechModel::chimeTwo(QStringView, std::int64_t nowMs)
{
    playChime(2, nowMs);
    return acknowledgement;
}

std::optional<QByteArray> SpeechModel::store(QStringView argument, std::int64_t nowMs)
{
    if (argument.size() < 2)
        return std::nullopt;
    const std::optional<int> slot = slotNumber(argument.first(2));
    const QStringView text = argument.sliced(2);
    if (!slot || !isSpeakableText(text))
        return std::nullopt;
    m_slots[static_cast<std::size_t>(*slot - 1)] = text.toString();
    m_busyUntilMs = nowMs + storeMs;
    m_soundId = noSound;
    return acknowledgement;
}

std::optional<QByteArray> SpeechModel::play(QStringView argument, std::int64_t nowMs)
{
    const std::optional<int> slot = slotNumber(argument);
    if (!slot)
        return std::nullopt;
    const QString &text = m_slots[static_cast<std::size_t>(*slot - 1)];
    if (text.isEmpty())
        return std::nullopt;
    speakText(text, nowMs);
    return acknowledgement;
}

void SpeechModel::speakText(QStringView text, std::int64_t nowMs)
{
    // Every speakable character is a single UTF-16 unit, so the length counts characters.
    const std::int64_t charTimedMs = text.size() * std::int64_t{m_settings.charMs} * 100 / m_speed;
    if (!m_settings.audioTimed) {
        m_busyUntilMs = nowMs + charTimedMs;
        return;
    }
    SoundRequest request;
    request.kind = SoundRequest::Kind::Speech;
    request.text = text.toString();
    request.speed = m_speed;
    request.fallbackMs = charTimedMs;
    startSound(request);
}

void SpeechModel::playChime(int chime, std::int64_t nowMs)
{
    if (!m_settings.audioTimed) {
        m_busyUntilMs = nowMs + chimeMs;
        return;
    }
    SoundRequest request;
    request.kind = SoundRequest::Kind::Chime;
    request.chime = chime;
    request.fallbackMs = chimeMs;
    startSound(request);
}

void SpeechModel::startSound(SoundRequest request)
{
    request.id = m_soundId = ++m_lastSoundId;
    m_soundRequests.append(request);
    m_busyUntilMs = untilTimed;
}
