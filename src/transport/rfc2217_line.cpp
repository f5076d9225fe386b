#include "transport/rfc2217_line.h"

#include "transport/telnet_session.h"

#include <QStringList>

namespace {

// A setting: its COM-PORT-OPTION command (the server answers with command + 100), the value
// asked for in network byte order, and how a value reads to the operator.
struct Setting
{
    unsigned char command;
    const char *name;
    QByteArray wanted;
    QString (*describe)(const QByteArray &value);
};

quint32 number(const QByteArray &value)
{
    quint32 n = 0;
    for (const char byte : value)
        n = (n << 8) | static_cast<unsigned char>(byte);
    return n;
}

QString plainNumber(const QByteArray &value)
{
    return QString::number(number(value));
}

QString codeName(const QByteArray &value, const QStringList &names)
{
    const quint32 code = number(value);
    return code >= 1 && code <= quint32(names.size()) ? names[code - 1]
                                                      : QStringLiteral("code %1").arg(code);
}

QString parityName(const QByteArray &value)
{
    return codeName(value, {"none", "odd", "even", "mark", "space"});
}

QString stopBitsName(const QByteArray &value)
{
    return codeName(value, {"1", "2", "1.5"});
}

QString flowControlName(const QByteArray &value)
{
    return codeName(value, {"none", "XON/XOFF", "hardware"});
}

const std::array<Setting, 5> &settings()
{
    static const std::array<Setting, 5> all = {{
        {1, "speed", QByteArray("\x00\x00\x96\x00", 4), plainNumber},
        {2, "data bits", QByteArray("\x08", 1), plainNumber},
        {3, "parity", QByteArray("\x01", 1), parityName},
        {4, "stop bits", QByteArray("\x01", 1), stopBitsName},
        {5, "flow control", QByteArray("\x01", 1), flowControlName},
    }};
    return all;
}

constexpr unsigned char serverAnswerOffset = 100;

} // namespace

QByteArray Rfc2217Line::requests()
{
    QByteArray out;
    for (const Setting &setting : settings())
        out += TelnetSession::subnegotiation(TelnetSession::comPortOption,
                                             char(setting.command) + setting.wanted);
    return out;
}

Rfc2217Line::Progress Rfc2217Line::read(const QByteArray &subnegotiation)
{
    if (progress_ != Progress::Waiting || subnegotiation.size() < 2
        || static_cast<unsigned char>(subnegotiation[0]) != TelnetSession::comPortOption)
        return progress_;
    const auto command = static_cast<unsigned char>(subnegotiation[1]);
    const QByteArray value = subnegotiation.mid(2);
    for (std::size_t i = 0; i < settings().size(); ++i) {
        const Setting &setting = settings()[i];
        if (command != setting.command + serverAnswerOffset)
            continue;
        // SET-CONTROL also answers questions of the break and modem lines, which the console
        // does not ask; only a flow-control answer (1 to 3, 17 to 19) is about this setting.
        if (setting.command == 5 && !value.isEmpty()) {
            const auto code = static_cast<unsigned char>(value[0]);
            if (!(code <= 3 || (code >= 17 && code <= 19)))
                return progress_;
        }
        if (value.size() != setting.wanted.size()) {
            notes_.append(QStringLiteral("the server's answer to the %1 was not understood: %2")
                              .arg(QLatin1String(setting.name),
                                   value.isEmpty() ? QStringLiteral("no value")
                                                   : QString::fromLatin1(value.toHex(' '))));
        } else if (value != setting.wanted) {
            progress_ = Progress::Refused;
            refusedSetting_ = QLatin1String(setting.name);
            refusal_
                = QStringLiteral("the server refused the %1: it answered %2")
                      .arg(QLatin1String(setting.name),
                           value.isEmpty() ? QStringLiteral("nothing") : setting.describe(value));
            return progress_;
        }
        confirmed_[i] = true;
        break;
    }
    if (std::all_of(confirmed_.cbegin(), confirmed_.cend(), [](bool done) { return done; }))
        progress_ = Progress::Confirmed;
    return progress_;
}
