// Text in the send box that the line cannot carry as it is: characters code page 932 lacks,
// and more lines than a run can hold.
#include "fault_support.h"
#include "support/console_fixture.h"
#include "text/cp932.h"

#include <QTest>

namespace {

// A module that always reports idle: every line the console speaks goes out at once.
class IdleModule : public ConsoleOnModule
{
protected:
    void SetUp() override
    {
        ConsoleOnModule::SetUp();
        module.answer = [](const QByteArray &line) {
            return line == "STT\r" ? QByteArray("stt 0\r") : QByteArray();
        };
    }
};

TEST_F(IdleModule, CharactersTheCodePageLacksGoOutAsTheirTwinOrAreRefused)
{
    // bytes: what the module receives; refused: the code the box names instead, when
    // nothing may go out.
    const struct
    {
        const char *name;
        QString text;
        QByteArray bytes;
        const char *refused = nullptr;
    } rows[] = {
        {"wave dash", QStringLiteral("MSGあ\u301Cい"), "MSG\x82\xA0\x81\x60\x82\xA2\r"},
        {"full-width tilde, as it is", QStringLiteral("MSG\uFF5E"), "MSG\x81\x60\r"},
        {"double vertical line", QStringLiteral("MSG\u2016"), "MSG\x81\x61\r"},
        {"minus sign", QStringLiteral("MSG\u2212"), "MSG\x81\x7C\r"},
        {"cent sign", QStringLiteral("MSG\u00A2"), "MSG\x81\x91\r"},
        {"pound sign", QStringLiteral("MSG\u00A3"), "MSG\x81\x92\r"},
        {"not sign", QStringLiteral("MSG\u00AC"), "MSG\x81\xCA\r"},
        {"em dash", QStringLiteral("MSG\u2014"), "MSG\x81\x5C\r"},
        {"a question mark, as it is", QStringLiteral("MSG?"), "MSG?\r"},
        {"an emoji, one character in two code units",
         QString::fromUtf8("MSGあ\xF0\x9F\x98\x80い"),
         {},
         "U+1F600"},
        {"a Latin letter with accent", QStringLiteral("MSGcaf\u00E9"), {}, "U+00E9"},
        {"Hangul", QStringLiteral("MSG\uD55C\uAE00"), {}, "U+D55C"},
        {"yen sign", QStringLiteral("MSG\u00A5"), {}, "U+00A5"},
        {"the replacement character", QStringLiteral("MSG\uFFFD"), {}, "U+FFFD"},
        {"a lone high surrogate", QStringLiteral("MSG") + QChar(0xD800) + u'a', {}, "U+D800"},
        {"a lone low surrogate", QStringLiteral("MSG") + QChar(0xDC00) + u'a', {}, "U+DC00"},
        {"a character of the user area", QStringLiteral("MSG\uE000"), "MSG\xF0\x40\r"},
        {"half-width katakana", QStringLiteral("MSGｱｲｳﾞ"), "MSG\xB1\xB2\xB3\xDE\r"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype before = module.linesWithoutPolls().size();
        boxes.boxes.clear();
        speak(row.text);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Snd_flg == 0; }, 3000));
        const QList<QByteArray> spoken = module.linesWithoutPolls().mid(before);
        if (row.refused) {
            EXPECT_TRUE(spoken.isEmpty());
            ASSERT_EQ(boxes.boxes.size(), 1);
            EXPECT_TRUE(boxes.boxes[0].prompt.contains(QLatin1String(row.refused)))
                << boxes.boxes[0].prompt.toStdString();
            continue;
        }
        ASSERT_EQ(spoken.size(), 1);
        EXPECT_EQ(spoken[0].toHex(' ').toStdString(), row.bytes.toHex(' ').toStdString());
        EXPECT_TRUE(boxes.boxes.isEmpty());
    }
    EXPECT_TRUE(chimeReaches(*form, module));
}

// A line of kana that tells its number: the digits 0 to 9 written as あ to こ.
QString numberedLine(int number)
{
    static const QString digits = QStringLiteral("あいうえおかきくけこ");
    QString kana;
    do {
        kana.prepend(digits[number % 10]);
        number /= 10;
    } while (number > 0);
    return QStringLiteral("MSG") + kana;
}

QString sendBox(int lines, const QString &end)
{
    QStringList list;
    list.reserve(lines);
    for (int i = 0; i < lines; ++i)
        list << numberedLine(i);
    return list.join(QStringLiteral("\r\n")) + end;
}

class FastSim : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--char-ms", "2"}; }
};

TEST_F(FastSim, ASendBoxOfMoreThan32767LinesIsRefusedAndOneOf32767IsSpoken)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString tooMany = QStringLiteral("送信データが多すぎます（32767行まで）");
    const struct
    {
        const char *name;
        QString text;
        bool accepted;
    } rows[] = {
        {"32,768 lines", sendBox(32768, crlf), false},
        {"32,767 lines and a blank one", sendBox(32767, crlf + crlf), false},
        {"32,767 lines without a last line end", sendBox(32767, QString()), true},
        {"32,767 lines", sendBox(32767, crlf), true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        boxes.boxes.clear();
        const qsizetype heardBefore = linesReceived().size();
        const qint16 maxBefore = form->Snd_max;
        speak(row.text);
        if (!row.accepted) {
            ASSERT_EQ(boxes.boxes.size(), 1);
            EXPECT_EQ(boxes.boxes[0].prompt, tooMany);
            EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
            EXPECT_EQ(form->Snd_flg, 0);
            EXPECT_EQ(form->Snd_max, maxBefore);
            // The send box keeps every line; nothing is spoken.
            EXPECT_EQ(form->Text1_Text(), row.text);
            sim->waitUntil([] { return false; }, 300);
            EXPECT_EQ(linesReceived().size(), heardBefore);
            continue;
        }
        EXPECT_TRUE(boxes.boxes.isEmpty());
        EXPECT_EQ(form->Snd_max, 32767);
        EXPECT_EQ(form->Snd_flg, 1);
        // Let a few lines go out, then stop: they are the first lines, in order, whole.
        ASSERT_TRUE(
            sim->waitUntil([&] { return linesReceived().size() >= heardBefore + 3; }, 10000));
        form->findChild<QPushButton *>(QStringLiteral("Command18"))->click();
        ASSERT_TRUE(waitForRunEnd());
        const QList<QByteArray> heard = linesReceived().mid(heardBefore);
        ASSERT_GE(heard.size(), 3);
        for (qsizetype i = 0; i < heard.size(); ++i)
            EXPECT_EQ(heard[i], cp932::encode(numberedLine(int(i)) + u'\r')) << "line " << i;
        EXPECT_GT(form->Snd_cnt, 0);
        EXPECT_LE(form->Snd_cnt, form->Snd_max);
    }
    EXPECT_TRUE(chimeReaches(*form, *sim));
}

} // namespace
