// Import of a text file: every line of the chosen file becomes one "MSG" line of the send box.
#include "messages/file_import.h"

#include "platform/message_box.h"
#include "ui/form1.h"

QString sendTextFromLines(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 5;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text += QLatin1String("MSG");
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QString importFailureMessage(const QString &path, const QString &error)
{
    return QStringLiteral("ファイルを読み込めません\n") + path + u'\n' + error;
}

void Form1::Command17_Click()
{
    CommonDialog1.Filter = importFilter;
    CommonDialog1.FilterIndex = 1;
    if (!CommonDialog1.ShowOpen(this) || CommonDialog1.FileName.isEmpty())
        return;
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

bool Form1::importFile(const QString &path, QString *error)
{
    File_nam = path;
    if (!Open_File_dat(error))
        return false;
    // The box is set once from the whole text: the same result as adding line by line,
    // without the cost growing with the square of the file's size.
    QStringList lines;
    while (!importFile_.atEnd())
        lines.append(importFile_.readLine());
    Close_File_dat();
    setText1_Text(sendTextFromLines(lines));
    return true;
}

bool Form1::Open_File_dat(QString *error)
{
    File_no = 1;
    if (!importFile_.open(File_nam, error)) {
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
