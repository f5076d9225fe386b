// The files the console reads: the three that start-up needs (port settings, presets, idle
// icon), missing, empty, a folder or a first-in-first-out file in their place, oversized,
// binary or not code page 932; and an import file of 100,000 lines. Start-up always brings
// the window up with what it could read, and the window then opens the port and answers.
#include "fault_support.h"
#include "support/console_fixture.h"
#include "text/cp932.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <algorithm>

#include <array>

namespace {

using Prepare = std::function<void(const ScopedWorkDir &)>;

const QString settingsName = QStringLiteral("parlino_ini.txt");
const QString presetsName = QStringLiteral("parlino_msg_ini.txt");
const QString iconName = QStringLiteral("icon/MISC13.ICO");

// The file gives way to a folder of its name.
Prepare folderInPlaceOf(const QString &name)
{
    return [name](const ScopedWorkDir &work) {
        QFile::remove(work.file(name));
        QDir().mkpath(work.file(name));
    };
}

Prepare fileWith(const QString &name, const QByteArray &bytes)
{
    return [name, bytes](const ScopedWorkDir &work) {
        work.write(name, bytes);
    };
}

Prepare missing(const QString &name)
{
    return [name](const ScopedWorkDir &work) {
        QFile::remove(work.file(name));
    };
}

QByteArray presetLines(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += cp932::encode(u"あ") + QByteArray::number(i) + "\r\n";
    return bytes;
}

QByteArray junk(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 12345;
    for (char &b : bytes) {
        state = state * 1103515245u + 12345u;
        b = char(state >> 24);
    }
    return bytes;
}

class StartUpFiles : public TwoPorts
{
protected:
    // A first-in-first-out file in place of the named start-up file: the window comes up and
    // OPEN opens port 1 without waiting for the other end of the file.
    void expectNoWaitForAFifoInPlaceOf(const QString &name)
    {
        SCOPED_TRACE(name.toStdString());
        ScopedWorkDir work;
        work.copyData();
        QFile::remove(work.file(name));
        ASSERT_TRUE(makeFifo(work.file(name)));
        boxes.boxes.clear();
        FifoReleaser releaser({work.file(name)}, 3000);
        auto form = std::make_unique<Form1>();
        const int device = openedDevice(*form);
        EXPECT_FALSE(releaser.finish()) << "the console waited for the other end of the file";
        EXPECT_EQ(device, 1);
        // OPEN cannot save the port into a pipe, and says so.
        EXPECT_EQ(boxes.boxes.size(), name == settingsName ? 1 : 0);
    }
};

TEST_F(StartUpFiles, ASettingsFileThatCannotBeUsedLeavesPortOne)
{
    const struct
    {
        const char *name;
        Prepare prepare;
        std::optional<QString> shown; // what the port box shows, when that is fixed
        int device;
    } rows[] = {
        {"missing", missing(settingsName), QStringLiteral("COM1"), 1},
        {"empty", fileWith(settingsName, ""), QStringLiteral("COM1"), 1},
        {"line ends only", fileWith(settingsName, "\r\n\r\n  \r\n"), QStringLiteral("COM1"), 1},
        {"a folder", folderInPlaceOf(settingsName), QStringLiteral("COM1"), 1},
        {"binary", fileWith(settingsName, QByteArray("\x00\xFF\x82", 3)), std::nullopt, 1},
        {"not code page 932", fileWith(settingsName, "\x82 COM3\r\n"), std::nullopt, 1},
        {"10 MB after the name",
         fileWith(settingsName, "COM3," + QByteArray(10 << 20, 'x')),
         QStringLiteral("COM3"),
         3},
        // Text that names no port: OPEN refuses it.
        {"10 MB without a field end",
         fileWith(settingsName, QByteArray(10 << 20, 'C')),
         std::nullopt,
         0},
        {"10 MB of random bytes", fileWith(settingsName, junk(10 << 20)), std::nullopt, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedWorkDir work;
        work.copyData();
        row.prepare(work);
        boxes.boxes.clear();
        Form1 form;
        if (row.shown) {
            EXPECT_EQ(form.findChild<QComboBox *>(QStringLiteral("Combo1"))->currentText(),
                      *row.shown);
        }
        EXPECT_EQ(form.MSComm1->CommPort(), std::max(row.device, 1));
        EXPECT_FALSE(form.Msg_dat[0].isEmpty());
        EXPECT_EQ(openedDevice(form), row.device);
        // A folder in the file's place: the port opens, and the operator learns that it
        // was not saved.
        const bool folder = QFileInfo(work.file(settingsName)).isDir();
        EXPECT_EQ(boxes.boxes.size(), folder || row.device == 0 ? 1 : 0);
        if (folder) {
            EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("File Error"));
        }
    }
}

TEST_F(StartUpFiles, APresetsFileThatCannotBeUsedGivesWhatItCan)
{
    const QString crlf = QStringLiteral("\r\n");
    const std::array<QString, 5> none{};
    const struct
    {
        const char *name;
        Prepare prepare;
        std::array<QString, 5> entries;
        QByteArray spoken; // what メッセージ1 and 発話 put on the line; empty: not spoken
    } rows[] = {
        {"missing", missing(presetsName), none, {}},
        {"empty", fileWith(presetsName, ""), none, {}},
        {"a folder", folderInPlaceOf(presetsName), none, {}},
        {"10,000 lines",
         fileWith(presetsName, presetLines(10000)),
         {QStringLiteral("MSGあ1") + crlf,
          QStringLiteral("MSGあ2") + crlf,
          QStringLiteral("MSGあ3") + crlf,
          QStringLiteral("MSGあ4") + crlf,
          QStringLiteral("MSGあ5") + crlf},
         cp932::encode(u"MSGあ1\r")},
        // A line that is text in neither encoding leaves its preset empty; the others stay.
        {"a cut-off double byte",
         fileWith(presetsName, "\x82\xA0\x82\r\n\x82\xA2\r\n"),
         {QString(), QStringLiteral("MSGい") + crlf, {}, {}, {}},
         {}},
        {"an unassigned double byte", fileWith(presetsName, "\x85\x40\x82\xA0\r\n"), none, {}},
        // Code page 932 words whose bytes are valid UTF-8 too keep their bytes.
        {"words that are valid UTF-8 too",
         fileWith(presetsName, cp932::encode(u"驟雨\r\n菫色\r\n關係\r\n髮型\r\n驢馬")),
         {QStringLiteral("MSG驟雨") + crlf,
          QStringLiteral("MSG菫色") + crlf,
          QStringLiteral("MSG關係") + crlf,
          QStringLiteral("MSG髮型") + crlf,
          QStringLiteral("MSG驢馬") + crlf},
         "MSG\xE9\x85\x89\x4A\r"},
        {"binary", fileWith(presetsName, QByteArray("\xFF\x01\x80\xFD\r\n", 6)), none, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedWorkDir work;
        work.copyData();
        row.prepare(work);
        boxes.boxes.clear();
        Form1 form;
        for (size_t i = 0; i < row.entries.size(); ++i)
            EXPECT_EQ(form.Msg_dat[i], row.entries[i]) << "entry " << i;
        ASSERT_EQ(openedDevice(form), 1);
        if (!row.spoken.isEmpty()) {
            com1.answer = [](const QByteArray &line) {
                return line == "STT\r" ? QByteArray("stt 0\r") : QByteArray();
            };
            const qsizetype before = com1.received().size();
            form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
            form.findChild<QPushButton *>(QStringLiteral("Command10"))->click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return form.Snd_flg == 0; }, 3000));
            EXPECT_EQ(com1.received().mid(before).replace("STT\r", "").toHex(' ').toStdString(),
                      row.spoken.toHex(' ').toStdString());
            com1.answer = nullptr;
        }
        EXPECT_TRUE(boxes.boxes.isEmpty());
    }
}

TEST_F(StartUpFiles, AnIdleIconThatCannotBeLoadedLeavesThePictureEmpty)
{
    QFile real(QStringLiteral(PARLINO_DATA_DIR "/icon/MISC13.ICO"));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray icon = real.readAll();
    ASSERT_GT(icon.size(), 100);
    const struct
    {
        const char *name;
        Prepare prepare;
        bool shown;
    } rows[] = {
        {"missing", missing(iconName), false},
        {"empty", fileWith(iconName, ""), false},
        {"a folder", folderInPlaceOf(iconName), false},
        {"not an icon", fileWith(iconName, "not an icon\r\n"), false},
        {"cut off after its header", fileWith(iconName, icon.left(40)), false},
        {"cut off in its picture", fileWith(iconName, icon.left(icon.size() / 2)), false},
        {"10 MB of random bytes", fileWith(iconName, junk(10 << 20)), false},
        // The control row: the icon as installed shows.
        {"as installed", fileWith(iconName, icon), true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedWorkDir work;
        work.copyData();
        row.prepare(work);
        boxes.boxes.clear();
        Form1 form;
        EXPECT_EQ(!form.findChild<QLabel *>(QStringLiteral("Picture1"))->pixmap().isNull(),
                  row.shown);
        EXPECT_EQ(openedDevice(form), 1);
        EXPECT_TRUE(boxes.boxes.isEmpty());
    }
}

TEST_F(StartUpFiles, AFirstInFirstOutFileInPlaceOfATextFileHoldsNeitherStartUpNorOpen)
{
    for (const QString &name : {settingsName, presetsName})
        expectNoWaitForAFifoInPlaceOf(name);
}

TEST_F(StartUpFiles, AFirstInFirstOutFileInPlaceOfTheIdleIconDoesNotHoldStartUp)
{
    // QPixmap::load would open the pipe for reading and wait for a writer.
    expectNoWaitForAFifoInPlaceOf(iconName);
}

class ImportDuringARun : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--char-ms", "60"}; }
};

TEST_F(ImportDuringARun, AnImportOf100000LinesLoadsAndIsRefusedWholeWhenSpoken)
{
    QByteArray content;
    for (int i = 0; i < 100000; ++i)
        content += "\x82\xA0" + QByteArray::number(i) + "\r\n";
    work.write(QStringLiteral("large.txt"), content);
    OpenDialogAnswerer dialog;
    dialog.answer = work.file(QStringLiteral("large.txt"));

    const QList<QByteArray> lines
        = {cp932::encode(u"MSGあいうえお\r"), cp932::encode(u"MSGかきくけこ\r")};
    speak(QStringLiteral("MSGあいうえお\r\nMSGかきくけこ\r\n"));
    ASSERT_TRUE(sim->waitUntil([&] { return linesReceived().size() == 1; }, 5000));

    form->findChild<QPushButton *>(QStringLiteral("Command17"))->click();
    const QString text = form->Text1_Text();
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 100000);
    EXPECT_TRUE(text.startsWith(QStringLiteral("MSGあ0\r\nMSGあ1\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("MSGあ99999\r\n")));
    EXPECT_EQ(form->File_no, 0);
    EXPECT_TRUE(boxes.boxes.isEmpty());

    form->findChild<QPushButton *>(QStringLiteral("Command10"))->click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("送信データが多すぎます（32767行まで）"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
    // The run in progress goes on with its own lines and ends.
    EXPECT_EQ(form->Snd_max, 2);
    EXPECT_EQ(form->Snd_flg, 1);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(linesReceived(), lines);
    EXPECT_EQ(form->Text1_Text().size(), text.size());
    EXPECT_TRUE(chimeReaches(*form, *sim));
}

// A file that cannot be read as a file: the operator is told, the send box stays as it was.
TEST_F(ConsoleOnModule, AnImportOfAFirstInFirstOutFileIsRefusedWithoutWaiting)
{
    const QString fifo = work.file(QStringLiteral("pipe.txt"));
    ASSERT_TRUE(makeFifo(fifo));
    OpenDialogAnswerer dialog;
    dialog.answer = fifo;
    form->setText1_Text(QStringLiteral("MSGkept"));
    FifoReleaser releaser({fifo}, 3000);
    button("Command17")->click();
    EXPECT_FALSE(releaser.finish()) << "the import waited for a writer";
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("File Error"));
    EXPECT_TRUE(boxes.boxes[0].prompt.startsWith(QStringLiteral("ファイルを読み込めません")));
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGkept"));
    EXPECT_EQ(form->File_no, 0);
    EXPECT_TRUE(chimeReaches(*form, module));
}

} // namespace
