#include "link/visible_causes.h"

#include <iterator>

namespace {

// One entry per kind: the cause, then what to do. %1 is the port's name, %2 its device,
// %3 the kind's subject (the group, the program, the setting).
struct Wording
{
    OpenFailureKind kind;
    const char16_t *cause;
    const char16_t *remedy;
    const char16_t *remedyWithoutSubject; // used when the subject is not known
};

constexpr Wording wordings[] = {
    {OpenFailureKind::NoSuchDevice,
     u"%1 は %2 ですが、その装置がありません。",
     u"アダプタを差し込むか、ある COM を選んでください（parlino --list-ports）。",
     nullptr},
    {OpenFailureKind::NoAccess,
     u"%1 の %2 を開く権限がありません。",
     u"グループ %3 に入り、ログインし直してください（sudo usermod -aG %3 $USER）。",
     u"装置の持ち主とグループ、その権限を確かめてください。"},
    {OpenFailureKind::OnlyRoot,
     u"%1 の %2 は root しか開けません（グループ %3）。",
     u"udev の規則（GROUP=\"dialout\", "
     u"MODE=\"0660\"）か装置の持ち主に開けるようにしてもらってください。",
     nullptr},
    {OpenFailureKind::InUse,
     u"%1 の %2 は他のプログラム（%3）が使っています。",
     u"そのプログラムを終えるか、別の COM を選んでください。",
     nullptr},
    {OpenFailureKind::OrphanLock,
     u"%1 の %2 のロックファイル %3 は、動いているプログラムを指していません。",
     u"その装置を使っているプログラムがなければ、%3 を削除してください。",
     nullptr},
    {OpenFailureKind::NotNetworkPort,
     u"%1 の %2 はネットワークのポート名として読めません。",
     u"rfc2217://ホスト:ポート、telnet://ホスト:ポート か tcp://ホスト:ポート "
     u"の形で書いてください。",
     nullptr},
    {OpenFailureKind::ServerUnreached,
     u"%1 の %2 のサーバにつながりません（応答がありません）。",
     u"シリアルサーバの機械が動いていて、ネットワークで届くこと（ファイアウォールなど）を"
     u"確かめてください。",
     nullptr},
    {OpenFailureKind::UnknownHost,
     u"%1 の %2 のホスト名が見つかりません。",
     u"ホスト名の綴りと、名前解決（DNS や /etc/hosts）を確かめてください。",
     nullptr},
    {OpenFailureKind::ServerRefused,
     u"%1 の %2 のホストが接続を拒みました。そのポートでサーバが待っていません。",
     u"シリアルサーバが動いていること、ポート番号がその設定（ser2net なら "
     u"/etc/ser2net.yaml の accepter）と合っていることを確かめてください。",
     nullptr},
    {OpenFailureKind::ServerSilent,
     u"%1 の %2 のサーバは接続を受けましたが、応答しません。",
     u"ポート名の種類（rfc2217://、telnet://、tcp://）がシリアルサーバの設定と"
     u"合っていることを確かめてください（ser2net なら /etc/ser2net.yaml の accepter）。",
     nullptr},
    {OpenFailureKind::ServerBusy,
     u"%1 の %2 のサーバが接続を断りました。ほかのクライアントが使っているようです。",
     u"そのクライアントを終えてから、もう一度 OPEN を押してください。",
     nullptr},
    {OpenFailureKind::SettingRefused,
     u"%1 の %2 のサーバが回線の設定（%3）を受け付けません。",
     u"シリアルサーバの設定を確かめてください（ser2net なら /etc/ser2net.yaml）。",
     nullptr},
    {OpenFailureKind::Other, u"%1 の %2 を開けません。", u"理由は詳細をご覧ください。", nullptr},
};

const Wording &wordingOf(OpenFailureKind kind)
{
    for (const Wording &wording : wordings) {
        if (wording.kind == kind)
            return wording;
    }
    return wordings[std::size(wordings) - 1];
}

QString portName(int port)
{
    return QStringLiteral("COM%1").arg(port);
}

// The device is the port's own name (COM3 on Windows): a sentence names it once.
bool isPortItself(int port, const QString &device)
{
    return device.compare(portName(port), Qt::CaseInsensitive) == 0;
}

// "COM1 の /dev/ttyUSB0", or "COM3" alone where the device is the port's own name.
QString portAndDevice(int port, const QString &device)
{
    return isPortItself(port, device) ? portName(port)
                                      : QStringLiteral("%1 の %2").arg(portName(port), device);
}

// Where the operator sees which serial ports the machine has.
QString portListPlace(Desk desk)
{
    return desk == Desk::Windows ? QStringLiteral("デバイス マネージャーの「ポート (COM と LPT)」")
                                 : QStringLiteral("parlino --list-ports");
}

// Fills the place markers %1 to %3 in one pass, so that a % in a path or a group is left
// alone and a pattern may leave a marker out.
QString filled(const char16_t *pattern, int port, const QString &device, const QString &subject)
{
    const QString values[] = {portName(port), device, subject};
    const QString text = QString::fromUtf16(pattern);
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'3') {
            result += values[text[i + 1].unicode() - u'1'];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace

QString visibleOpenCause(int port, const QString &device, const OpenFailureCause &cause, Desk desk)
{
    const Wording &wording = wordingOf(cause.kind);
    const QString &subject = cause.subject;
    const char16_t *remedy = wording.remedy;
    if (subject.isEmpty() && wording.remedyWithoutSubject)
        remedy = wording.remedyWithoutSubject;
    QString first = filled(wording.cause, port, device, subject);
    QString then = filled(remedy, port, device, subject);
    if (isPortItself(port, device)) {
        first.replace(QStringLiteral("%1 の %2").arg(portName(port), device), portName(port));
        if (cause.kind == OpenFailureKind::NoSuchDevice)
            first = QStringLiteral("%1 というポートがありません。").arg(portName(port));
    }
    if (cause.kind == OpenFailureKind::NoSuchDevice && desk == Desk::Windows)
        then = QStringLiteral("アダプタを差し込むか、ある COM を選んでください（%1）。")
                   .arg(portListPlace(desk));
    // A cause that names its subject in brackets says nothing there when it is unknown.
    first.remove(QStringLiteral("（）"));
    return first + u'\n' + then;
}

QString visibleNoPortName(const QString &shown)
{
    // Text that looks like a device is the example of how to give it a number.
    const bool device = shown.startsWith(u'/') || shown.contains(QLatin1String("://"));
    const QString example = device ? shown : QStringLiteral("/dev/ttyUSB0");
#ifdef Q_OS_WIN
    Q_UNUSED(example)
    const QString numbering
        = QStringLiteral("ほかの装置には環境変数で番号を付けられます（PARLINO_COM3=COM20 など）。");
#else
    const QString numbering
        = QStringLiteral("装置に番号を付けるには parlino_ports.txt に COM3=%1 と書くか、"
                         "PARLINO_COM3=%1 を設定してください。")
              .arg(example);
#endif
    return QStringLiteral("「%1」はポート名ではありません。COM1 から COM16 を選んでください。\n")
               .arg(shown)
           + numbering;
}

QString visibleDeviceLoss(int port, const QString &device, Desk desk)
{
    // A serial server on the network is no device to plug in again; it is asked again every
    // few seconds on both systems.
    if (device.contains(QLatin1String("://")))
        return QStringLiteral("%1 のサーバとの接続が切れました。\n")
                   .arg(portAndDevice(port, device))
               + QStringLiteral("シリアルサーバが動いていること、その機械にネットワークで届く"
                                "ことを確かめてください。サーバが戻れば自動でもう一度つなぎます。");
    const QString remedy
        = desk == Desk::Windows
              ? QStringLiteral("装置をつなぎ直して、OPEN を押してください（%1で確かめられます）。")
                    .arg(portListPlace(desk))
              : QStringLiteral("装置をつなぎ直してください。戻れば自動でもう一度開きます。");
    return QStringLiteral("%1 との接続が切れました。\n").arg(portAndDevice(port, device)) + remedy;
}

QString visibleOneTimeDeviceLoss(int port, const QString &device)
{
    return QStringLiteral("%1 との接続が切れました。\n").arg(portAndDevice(port, device))
           + QStringLiteral("この装置（擬似端末など）の名前はほかの装置に使われるので、"
                            "自動では開きません。つなぎ直したら OPEN を押してください。");
}

QString visibleOtherDevice(int port, const QString &device, const QString &what)
{
    return QStringLiteral("%1 の %2 には、今は別の装置（%3）があります。"
                          "切断された装置ではないので、自動では開きません。\n")
               .arg(portName(port), device, what)
           + QStringLiteral("その装置を使うなら OPEN を押してください。");
}

QString visibleLossNotAwaited()
{
    return QStringLiteral("ポート欄が変わったので、切断された装置はもう待っていません。\n"
                          "OPEN を押すと、ポート欄のポートを開きます。");
}

QString moduleSilentSign(int port, const QString &device)
{
    return QStringLiteral("%1 のモジュールが応答しません").arg(portAndDevice(port, device));
}

QString moduleRefusedSign(int port, const QString &device, const QString &command)
{
    return QStringLiteral("%1 のモジュールが %2 を受け付けません (?)")
        .arg(portAndDevice(port, device), command);
}

QString moduleUnaskedSign(int port, const QString &device)
{
    return QStringLiteral("%1 のモジュールが問い合わせのない状態を送っています")
        .arg(portAndDevice(port, device));
}

QString lineOpening(const QString &line)
{
    QString opening = line.left(line.indexOf(u'\r') < 0 ? line.size() : line.indexOf(u'\r'));
    return opening.size() > 12 ? opening.left(12) + QStringLiteral("…") : opening;
}

QString visibleLineNotMsg(int line, const QString &text)
{
    return QStringLiteral("%1 行目「%2」が MSG で始まっていません")
        .arg(line)
        .arg(lineOpening(text));
}

QString visibleModuleRefusedLine(int line, const QString &text, const QString &answer)
{
    return QStringLiteral("モジュールが %1 行目「%2」に %3 と答えました")
        .arg(line)
        .arg(lineOpening(text), answer.trimmed());
}

QString visibleModuleErrorBeforeRun(const QString &command)
{
    const QString before = QStringLiteral("行を送る前からモジュールはエラー状態でした");
    return command.isEmpty() ? before
                             : before + QStringLiteral("（%1 に ? と答えています）").arg(command);
}
