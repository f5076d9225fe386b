// The FILE button: the Open dialog, and the send box made of the file's lines.
#include "platform/data_folders.h"
#include "support/form_fixture.h"
#include "text/cp932.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

namespace {

class FileImport : public FormTest
{
protected:
    OpenDialogAnswerer dialog;

    void SetUp() override { createForm(); }

    void importFile(const QByteArray &content, const char *name = "script.txt")
    {
        work.write(QString::fromLatin1(name), content);
        dialog.answer = work.file(QString::fromLatin1(name));
        control<QPushButton>("Command17")->click();
    }
};

TEST_F(FileImport, EveryLineBecomesAnMsgLine)
{
    const struct
    {
        const char *name;
        QByteArray content;
        QString sendBox;
        const char16_t *sign = u""; // in the title when the file reads in both encodings
    } cases[] = {
        {"two lines with CR LF", "\x82\xA0\r\n\x82\xA2\r\n", QStringLiteral("MSGあ\r\nMSGい\r\n")},
        {"last line without CR LF", "\x82\xA0\r\n\x82\xA2", QStringLiteral("MSGあ\r\nMSGい\r\n")},
        {"empty file", "", QString()},
        {"empty middle line", "a\r\n\r\nb\r\n", QStringLiteral("MSGa\r\nMSG\r\nMSGb\r\n")},
        {"a line with MSG already", "MSGa\r\n", QStringLiteral("MSGMSGa\r\n")},
        {"half-width katakana", "\xB1\xB2\xB3\r\n", QStringLiteral("MSGｱｲｳ\r\n")},
        {"lone LF and lone CR", "a\nb\rc", QStringLiteral("MSGa\r\nMSGb\r\nMSGc\r\n")},
        {"UTF-8 from a Linux editor", "\xE3\x81\x82\n", QStringLiteral("MSGあ\r\n")},
        {"code page 932 that is valid UTF-8 too",
         "\xE9\x85\x89\x4A",
         QStringLiteral("MSG驟雨\r\n"),
         u"script.txt をシフトJISとして読みました（UTF-8なら1行目は「酉J」）"},
        {"UTF-8 that is valid code page 932 too",
         "\xE5\x9E\x8B\x41",
         QStringLiteral("MSG型A\r\n"),
         u"script.txt をUTF-8として読みました（シフトJISなら1行目は「蝙帰」）"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form->setText1_Text(QStringLiteral("typed before"));
        importFile(c.content);
        EXPECT_EQ(form->Text1_Text(), c.sendBox);
        const QString sign = QString::fromUtf16(c.sign);
        EXPECT_EQ(form->windowTitle(),
                  sign.isEmpty() ? QStringLiteral("PARLINO Ver1.05")
                                 : QStringLiteral("PARLINO Ver1.05 — ") + sign);
        EXPECT_EQ(form->File_nam, work.file("script.txt"));
        EXPECT_EQ(form->File_no, 0);
    }
    // The file's sign outlives a module's sign shown before it.
    form->showModuleSilent();
    importFile("\xE5\x9E\x8B\x41");
    form->clearModuleSign();
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("PARLINO Ver1.05 — script.txt "
                             "をUTF-8として読みました（シフトJISなら1行目は「蝙帰」）"));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_TRUE(serial->written.isEmpty());
}

TEST_F(FileImport, TheDialogOffersTextFilesFirst)
{
    importFile("a\r\n");
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(form->CommonDialog1.Filter,
              QStringLiteral("ﾃｷｽﾄ(*.txt)|*.txt|すべてのファイル(*.*)|*.*|"));
    // The real dialog: each entry as the filter text has it, and its pattern ("*.*" is
    // every file, as it is on Windows).
    installOpenDialogHandler({});
    QStringList shown;
    QStringList patterns;
    QTimer::singleShot(100, form.get(), [&] {
        auto *open = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        auto *types = open->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        auto *files = open->findChild<QFileSystemModel *>();
        ASSERT_NE(types, nullptr);
        ASSERT_NE(files, nullptr);
        for (int entry = 0; entry < types->count(); ++entry) {
            shown << types->itemText(entry);
            open->selectNameFilter(open->nameFilters().value(entry));
            patterns << files->nameFilters().join(u' ');
        }
        open->reject();
    });
    control<QPushButton>("Command17")->click();
    EXPECT_EQ(
        shown,
        (QStringList{QStringLiteral("ﾃｷｽﾄ(*.txt)"), QStringLiteral("すべてのファイル(*.*)")}));
    EXPECT_EQ(patterns, (QStringList{QStringLiteral("*.txt"), QStringLiteral("*")}));
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGa\r\n"));
}

TEST_F(FileImport, FromThePerUserFolderTheDialogOpensInTheDocumentsFolder)
{
    // Started in a folder of the operator's choosing, the dialog opens there.
    importFile("a\r\n");
    EXPECT_TRUE(form->CommonDialog1.InitDir.isEmpty());
    // Started from the menu: the working folder is the per-user one.
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", saved); });
    qputenv("XDG_DATA_HOME", work.file("data").toLocal8Bit());
    ASSERT_TRUE(QDir().mkpath(work.file("data/parlino")));
    ASSERT_TRUE(QDir::setCurrent(work.file("data/parlino")));
    dialog.answer.reset();
    control<QPushButton>("Command17")->click();
    EXPECT_EQ(form->CommonDialog1.InitDir, documentsFolder());
    EXPECT_NE(form->CommonDialog1.InitDir, work.file("data/parlino"));
    // Then where the last file was chosen.
    importFile("b\r\n", "sub/b.txt");
    EXPECT_EQ(form->CommonDialog1.InitDir, work.file("sub"));
}

TEST_F(FileImport, ASecondImportReplacesTheFirstAndCancelChangesNothing)
{
    importFile("first\r\n", "one.txt");
    importFile("second\r\n", "two.txt");
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGsecond\r\n"));
    dialog.answer.reset();
    control<QPushButton>("Command17")->click();
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGsecond\r\n"));
    EXPECT_EQ(form->File_nam, work.file("two.txt"));
    // An empty name counts as cancel.
    dialog.answer = QString();
    control<QPushButton>("Command17")->click();
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGsecond\r\n"));
    EXPECT_EQ(form->File_nam, work.file("two.txt"));
}

TEST_F(FileImport, AFileThatCannotBeReadIsReportedAndChangesNothing)
{
    QDir(work.path()).mkdir(QStringLiteral("folder.txt"));
    // Bytes that are text in neither encoding, on the second line.
    work.write("garbled.txt", "\x82\xA0\r\n\x82\r\n");
    const struct
    {
        const char *name;
        const char16_t *why;
    } files[] = {{"removed.txt", u""}, {"folder.txt", u""}, {"garbled.txt", u"2行目"}};
    for (const auto &[name, why] : files) {
        SCOPED_TRACE(name);
        boxes.boxes.clear();
        form->setText1_Text(QStringLiteral("MSGkept"));
        dialog.answer = work.file(QString::fromLatin1(name));
        control<QPushButton>("Command17")->click();
        EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGkept"));
        EXPECT_EQ(form->File_no, 0);
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("File Error"));
        EXPECT_TRUE(boxes.boxes[0].prompt.startsWith(QStringLiteral("ファイルを読み込めません")));
        EXPECT_TRUE(boxes.boxes[0].prompt.contains(QString::fromLatin1(name)));
        EXPECT_TRUE(boxes.boxes[0].prompt.contains(QString::fromUtf16(why)));
    }
}

TEST_F(FileImport, ALargeFileBecomesTheSendBoxWhole)
{
    QByteArray content;
    for (int i = 0; i < 32767; ++i)
        content += "\x82\xA0" + QByteArray::number(i) + "\r\n";
    importFile(content);
    const QString text = form->Text1_Text();
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 32767);
    EXPECT_TRUE(text.startsWith(QStringLiteral("MSGあ0\r\nMSGあ1\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("MSGあ32766\r\n")));
}

} // namespace
