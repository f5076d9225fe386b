#include "messages/command_script.h"

#include "link/encodable.h"
#include "speak/speak_request.h"
#include "text/text_file.h"

#include <algorithm>

namespace {

bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isSkipped(const QString &line)
{
    return line.trimmed().isEmpty() || line.startsWith(u'#');
}

const QString anyCommand = QStringLiteral(
    "a module command (MSG+text, STT, CLR0, VER, SPD+number, SSD01, SSD02, EEP+two "
    "digits+text, SEL+two digits), a blank line or a # comment");

} // namespace

std::optional<QString> commandExpectation(const QString &line)
{
    const QStringView rest = QStringView(line).mid(3);
    if (line.startsWith(QLatin1String("MSG")))
        return std::nullopt;
    for (const char *exact : {"STT", "CLR0", "VER", "SSD01", "SSD02"}) {
        if (line == QLatin1String(exact))
            return std::nullopt;
    }
    // The module's speeds have three digits at most; what it makes of the number is its own
    // answer, which a script may well want to see.
    if (line.startsWith(QLatin1String("SPD"))) {
        if (!rest.isEmpty() && rest.size() <= 3 && allDigits(rest))
            return std::nullopt;
        return QStringLiteral("SPD and a speed of one to three digits, as SPD150");
    }
    if (line.startsWith(QLatin1String("SEL"))) {
        if (rest.size() == 2 && allDigits(rest))
            return std::nullopt;
        return QStringLiteral("SEL and a slot of two digits, as SEL01");
    }
    if (line.startsWith(QLatin1String("EEP"))) {
        if (rest.size() >= 2 && allDigits(rest.first(2)))
            return std::nullopt;
        return QStringLiteral("EEP, a slot of two digits and the text, as EEP01あいう");
    }
    return anyCommand;
}

CommandScript readCommandScript(const QString &text)
{
    CommandScript script;
    const QStringList lines = splitTextLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (isSkipped(line))
            continue;
        const int number = int(i + 1);
        if (const std::optional<QString> expected = commandExpectation(line)) {
            script.refusedLine = number;
            script.refusal = QStringLiteral("expected %1, not \"%2\"").arg(*expected, line);
            break;
        }
        // The code page's refusal names the line of the text it is given: the one line here.
        if (std::optional<QString> refusal = unencodableCharacterMessage(line)) {
            script.refusedLine = number;
            script.refusal = refusal->section(u'\n', 0, 0) + u' '
                             + refusal->section(u'\n', 1).section(u':', 1).trimmed();
            break;
        }
        script.lines.append({number, line});
    }
    // A script refused at a line says why there; otherwise it is judged whole.
    if (!script.isRefused() && script.lines.isEmpty())
        script.refusal = QStringLiteral("the script holds no command to send");
    else if (!script.isRefused() && script.lines.size() > maxSpeakLines)
        script.refusal
            = QStringLiteral("the script holds more than %1 commands").arg(maxSpeakLines);
    if (script.isRefused())
        script.lines.clear();
    return script;
}
