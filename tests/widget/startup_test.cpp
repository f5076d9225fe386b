// Start-up, exit, the preset buttons and the slot box.
#include "platform/console_icon.h"
#include "platform/picture.h"
#include "platform/qt_translation.h"
#include "support/form_fixture.h"
#include "text/cp932.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

namespace {

using StartUp = FormTest;

TEST(DesktopLook, QtSpeaksJapaneseWhenItsTranslationIsPresent)
{
    const ScopedWorkDir empty;
    EXPECT_EQ(installQtJapanese({empty.path()}), nullptr);
    EXPECT_EQ(QMessageBox::tr("Show Details..."), QStringLiteral("Show Details..."));
    // Debian's qt6-translations-l10n, which the package depends on and the scripts install.
    QTranslator *translation = installQtJapanese();
    ASSERT_NE(translation, nullptr);
    const struct
    {
        const char *context;
        const char *english;
        const char16_t *japanese;
    } rows[] = {{"QMessageBox", "Show Details...", u"詳細を表示..."},
                {"QFileDialog", "Open", u"開く"},
                {"QPlatformTheme", "Cancel", u"キャンセル"}};
    for (const auto &row : rows)
        EXPECT_EQ(QCoreApplication::translate(row.context, row.english),
                  QString::fromUtf16(row.japanese))
            << row.english;
    QCoreApplication::removeTranslator(translation);
    delete translation;
}

TEST(DesktopLook, TheConsoleIconComesFromItsThemeFolder)
{
    const ScopedWorkDir theme;
    EXPECT_TRUE(consoleIcon({theme.path()}).isNull());
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    for (const char *size : {"16x16", "32x32"}) {
        QDir().mkpath(theme.file(QStringLiteral("%1/apps").arg(QLatin1String(size))));
        ASSERT_TRUE(
            image.scaled(QSize(16, 16) * (size[0] == '1' ? 1 : 2))
                .save(theme.file(QStringLiteral("%1/apps/parlino.png").arg(QLatin1String(size)))));
    }
    const QIcon icon = consoleIcon({theme.file("none"), theme.path()});
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    // A picture whose name gives another format is still read, by what its bytes say.
    ASSERT_TRUE(image.save(theme.file("misnamed.ico"), "PNG"));
    EXPECT_EQ(readImageFile(theme.file("misnamed.ico")).size(), QSize(16, 16));
    EXPECT_TRUE(readImageFile(theme.file("16x16")).isNull());
}

TEST_F(StartUp, RestoresThePortAndSelectsTheFirstSlot)
{
    work.copyData();
    work.write("parlino_ini.txt", "COM3\r\n");
    createForm();
    EXPECT_EQ(control<QComboBox>("Combo1")->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(serial->CommPort(), 3);
    EXPECT_FALSE(serial->PortOpen());
    EXPECT_EQ(control<QComboBox>("Combo2")->currentText(), QStringLiteral("ROM1"));
    EXPECT_EQ(control<QComboBox>("Combo2")->count(), 32);
    EXPECT_EQ(control<QComboBox>("Combo2")->itemText(31), QStringLiteral("ROM32"));
    EXPECT_EQ(form->Eep_cmd, QStringLiteral("EEP01"));
    EXPECT_EQ(form->Sel_cmd, QStringLiteral("SEL01"));
    EXPECT_FALSE(control<QPushButton>("Command10")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("Command6")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("Command5")->isEnabled());
    EXPECT_FALSE(control<QLabel>("Picture1")->pixmap().isNull());
    EXPECT_FALSE(form->Msg_dat[0].isEmpty());
    // Start-up writes nothing: no file, no command.
    EXPECT_EQ(work.read("parlino_ini.txt"), QByteArray("COM3\r\n"));
    EXPECT_TRUE(serial->written.isEmpty());
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(StartUp, ComesUpWithEveryFileMissingOrUnusable)
{
    const struct
    {
        const char *name;
        std::function<void(const ScopedWorkDir &)> prepare;
    } cases[] = {
        {"no files at all",
         [](const ScopedWorkDir &) {
         }},
        {"folders in their place",
         [](const ScopedWorkDir &w) {
             for (const char *name : {"parlino_ini.txt", "parlino_msg_ini.txt", "icon/MISC13.ICO"})
                 QDir().mkpath(w.file(QString::fromLatin1(name)));
         }},
        {"binary and broken files",
         [](const ScopedWorkDir &w) {
             w.write("parlino_ini.txt", QByteArray("\x00\xFF\x82", 3));
             w.write("parlino_msg_ini.txt", QByteArray("\x81\x00\xFF\r\n", 5));
             w.write("icon/MISC13.ICO", "not an icon");
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedWorkDir folder;
        c.prepare(folder);
        createForm();
        EXPECT_EQ(serial->CommPort(), 1);
        EXPECT_TRUE(control<QLabel>("Picture1")->pixmap().isNull());
        EXPECT_EQ(form->Eep_cmd, QStringLiteral("EEP01"));
        EXPECT_TRUE(boxes.boxes.isEmpty());
    }
}

TEST_F(StartUp, PresetsFileGivesUpToFiveEntries)
{
    const QString crlf = QStringLiteral("\r\n");
    const struct
    {
        const char *name;
        QByteArray file;
        std::array<QString, 5> entries;
    } cases[] = {
        {"empty file", "", {}},
        {"two lines", "one\r\ntwo\r\n", {"MSGone\r\n", "MSGtwo\r\n"}},
        {"five lines",
         "1\r\n2\r\n3\r\n4\r\n5\r\n",
         {"MSG1\r\n", "MSG2\r\n", "MSG3\r\n", "MSG4\r\n", "MSG5\r\n"}},
        {"six lines: the sixth is ignored",
         "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n",
         {"MSG1\r\n", "MSG2\r\n", "MSG3\r\n", "MSG4\r\n", "MSG5\r\n"}},
        {"an empty line", "a\r\n\r\nc\r\n", {"MSGa\r\n", "MSG\r\n", "MSGc\r\n"}},
        {"blanks are kept", "  a b  \r\n", {"MSG  a b  \r\n"}},
        {"last line without a line end", "a\r\nb", {"MSGa\r\n", "MSGb\r\n"}},
        {"a line that already has MSG", "MSGa\r\n", {"MSGMSGa\r\n"}},
        {"lone LF and lone CR end lines", "a\nb\rc", {"MSGa\r\n", "MSGb\r\n", "MSGc\r\n"}},
        {"UTF-8 from a Linux editor", "\xE3\x81\x82\n", {"MSGあ\r\n"}},
        {"a line in neither encoding is left empty",
         "\x82\xA0\r\n\x82\r\nc\r\n",
         {"MSGあ\r\n", "", "MSGc\r\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        work.write("parlino_msg_ini.txt", c.file);
        createForm();
        EXPECT_EQ(form->Msg_dat, c.entries);
    }
    // Ten thousand lines: the first five, read quickly.
    QByteArray many;
    for (int i = 0; i < 10000; ++i)
        many += QByteArray::number(i) + "\r\n";
    work.write("parlino_msg_ini.txt", many);
    createForm();
    EXPECT_EQ(form->Msg_dat[4], QStringLiteral("MSG4\r\n"));
}

TEST_F(StartUp, PresetButtonsReplaceTheSendBox)
{
    work.write("parlino_msg_ini.txt", cp932::encode(u"あいうえお\r\nふたつ\r\n"));
    createForm();
    form->setText1_Text(QStringLiteral("typed text"));
    control<QPushButton>("Command1")->click();
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGあいうえお\r\n"));
    EXPECT_EQ(form->Text1_Text().size(), 10);
    control<QPushButton>("Command1")->click();
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGあいうえお\r\n"));
    control<QPushButton>("Command2")->click();
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGふたつ\r\n"));
    control<QPushButton>("Command3")->click();
    EXPECT_EQ(form->Text1_Text(), QString());
    control<QPushButton>("Command16")->click();
    EXPECT_EQ(form->Text1_Text(), QString());
    form->setText1_Text(QStringLiteral("typed"));
    control<QPushButton>("Command4")->click();
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSG"));
    EXPECT_TRUE(serial->written.isEmpty());
}

TEST_F(StartUp, PickingASlotSetsBothCommands)
{
    createForm();
    auto *slotBox = control<QComboBox>("Combo2");
    auto pick = [&](const char *name) {
        const int index = slotBox->findText(QString::fromLatin1(name));
        ASSERT_GE(index, 0);
        slotBox->setCurrentIndex(index);
        emit slotBox->activated(index);
    };
    pick("ROM32");
    EXPECT_EQ(form->Eep_cmd, QStringLiteral("EEP32"));
    pick("ROM7");
    EXPECT_EQ(form->Eep_cmd, QStringLiteral("EEP07"));
    EXPECT_EQ(form->Sel_cmd, QStringLiteral("SEL07"));
    pick("ROM7");
    EXPECT_EQ(form->Sel_cmd, QStringLiteral("SEL07"));
    // A text that is no slot name leaves the commands.
    slotBox->setCurrentIndex(-1);
    form->Combo2_Click();
    EXPECT_EQ(form->Eep_cmd, QStringLiteral("EEP07"));
    EXPECT_EQ(form->Sel_cmd, QStringLiteral("SEL07"));
}

TEST_F(StartUp, ExitDuringARunEndsAtOnceAndSendsNothingMore)
{
    createForm();
    openPort();
    form->setText1_Text(QStringLiteral("MSGa\r\nMSGb"));
    form->Command10_Click();
    form->Rcv_dat = QStringLiteral("stt 0\r");
    form->Timer1_Timer();
    ASSERT_EQ(serial->written.size(), 1);
    const QByteArray settings = work.read("parlino_ini.txt");

    control<QPushButton>("Command9")->click();
    EXPECT_EQ(end.ended, 1);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_FALSE(form->Timer2->isActive());
    // Ticks or events still queued write nothing.
    form->Timer1_Timer();
    form->Command7_Click();
    EXPECT_EQ(serial->written.size(), 1);
    EXPECT_EQ(work.read("parlino_ini.txt"), settings);
}

TEST_F(StartUp, ClosingTheWindowEndsTheProgramTheSameWay)
{
    createForm();
    openPort();
    form->show();
    form->close();
    EXPECT_EQ(end.ended, 1);
    EXPECT_FALSE(serial->PortOpen());
    form->Command8_Click();
    EXPECT_TRUE(serial->written.isEmpty());
}

} // namespace
