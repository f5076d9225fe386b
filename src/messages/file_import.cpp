// Import of a text file: every line of the chosen file becomes one "MSG" line of the send box.
#include "messages/file_import.h"

#include "platform/data_folders.h"
#include "platform/message_box.h"
#include "ui/form1.h"

#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

QString importFailureMessage(const QString &path, const QString &error)
{
    return QStringLiteral("ファイルを読み込めません\n") + path + u'\n' + error;
}

namespace {

QString encodingWords(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                          : QStringLiteral("code page 932");
}

TextEncoding otherEncoding(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? TextEncoding::Cp932 : TextEncoding::Utf8;
}

} // namespace

QString encodingNote(const QString &path, const TextReading &reading)
{
    QString note = encodingName(reading.encoding) + u' ' + path;
    if (reading.forced) {
        note += QStringLiteral(" (as --encoding asked)");
    } else if (reading.bothPlausible) {
        const TextEncoding other = otherEncoding(reading.encoding);
        // Whole lines, however long: the operator compares them with the file.
        note += QStringLiteral(" (it reads as %1 too: line %2 is \"%3\" as %4, \"%5\" as %1; "
                               "%4 was taken; --encoding %6 reads it as %1)")
                    .arg(encodingWords(other),
                         QString::number(reading.differingLine),
                         reading.takenLine,
                         encodingWords(reading.encoding),
                         reading.otherLine,
                         encodingName(other));
    }
    return note;
}

QString encodingSign(const QString &path, const TextReading &reading)
{
    const QString taken = reading.encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                                 : QStringLiteral("シフトJIS");
    const QString other = reading.encoding == TextEncoding::Utf8 ? QStringLiteral("シフトJIS")
                                                                 : QStringLiteral("UTF-8");
    return QStringLiteral("%1 を%2として読みました（%3なら%4行目は「%5」）")
        .arg(QFileInfo(path).fileName(),
             taken,
             other,
             QString::number(reading.differingLine),
             reading.otherLine.left(20));
}

void Form1::Command17_Click()
{
    CommonDialog1.Filter = importFilter;
    CommonDialog1.FilterIndex = 1;
    // Started from the menu, the window works in the per-user folder, which holds the
    // console's own files, not the operator's: the dialog opens in the documents folder, and
    // then in the folder of the file last chosen.
    const bool perUser = isWorkingFolder(userDataFolder());
    if (perUser && CommonDialog1.InitDir.isEmpty())
        CommonDialog1.InitDir = documentsFolder();
    if (!CommonDialog1.ShowOpen(this) || CommonDialog1.FileName.isEmpty())
        return;
    if (perUser)
        CommonDialog1.InitDir = folderOf(CommonDialog1.FileName);
    QString error;
    if (!importFile(CommonDialog1.FileName, &error)) {
        // The send box stays as it was; the operator learns which file and why.
        MsgBox(this,
               importFailureMessage(File_nam, error),
               vbCritical,
               importFailureTitle,
               File_nam + QStringLiteral(": ") + error);
    }
}

bool Form1::importFile(const QString &path, QString *error, TextReading *reading)
{
    File_nam = path;
    TextReading used;
    if (reading)
        used.forced = reading->forced;
    const bool opened = Open_File_dat(error, &used);
    if (reading)
        *reading = used;
    if (!opened)
        return false;
    // The box is set once from the whole text: the same result as adding line by line,
    // without the cost growing with the square of the file's size. Its lines are ended by LF
    // as the box keeps them, so the text goes in as it is.
    QString box;
    box.reserve(importFile_.textSize() * 3 / 2 + 16);
    while (!importFile_.atEnd()) {
        box += QLatin1String("MSG");
        box += importFile_.nextLine();
        box += u'\n';
    }
    Close_File_dat();
    // Straight into the box's document: the box's own setPlainText() would then give every
    // character once more the format it already has, a tenth of the import's time. The
    // cursor goes back to the start, where the box's own setting leaves it.
    ui.Text1->document()->setPlainText(box);
    ui.Text1->moveCursor(QTextCursor::Start);
    if (used.bothPlausible && !used.forced)
        showEncodingSign(encodingSign(path, used));
    else
        clearEncodingSign();
    return true;
}

bool Form1::Open_File_dat(QString *error, TextReading *reading)
{
    File_no = 1;
    if (!importFile_.open(File_nam, error, reading)) {
        File_no = 0;
        return false;
    }
    return true;
}

void Form1::Close_File_dat()
{
    importFile_.close();
    File_no = 0;
}
