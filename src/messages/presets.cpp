// The preset messages: up to five lines of the presets file, read once at start-up, and the
// buttons that put them (or just "MSG") into the send box.
#include "app/working_files.h"
#include "platform/app_paths.h"
#include "text/text_file.h"
#include "transport/open_failure.h"
#include "ui/form1.h"

void Form1::Get_Msg_dat()
{
    // A missing file leaves every entry empty; lines after the fifth are not read. A line
    // that is no text in the file's encoding leaves its entry empty rather than sending
    // garbage to the module.
    const QString path = appFilePath(presetsFileName);
    QStringList whyNot;
    const auto lines = readTextFileLines(path, qsizetype(Msg_dat.size()), nullptr, &whyNot);
    if (!lines)
        return;
    for (qsizetype i = 0; i < lines->size(); ++i) {
        if (const std::optional<QString> &line = lines->at(i))
            Msg_dat[size_t(i)] = QStringLiteral("MSG") + *line + QStringLiteral("\r\n");
        else
            reportToConsole(QStringLiteral("%1: %2行目に%3; preset %2 left empty")
                                .arg(path, QString::number(i + 1), whyNot.value(i)));
    }
}

void Form1::Command1_Click()
{
    setText1_Text(Msg_dat[0]);
}

void Form1::Command2_Click()
{
    setText1_Text(Msg_dat[1]);
}

void Form1::Command3_Click()
{
    setText1_Text(Msg_dat[2]);
}

void Form1::Command16_Click()
{
    setText1_Text(Msg_dat[3]);
}

void Form1::Command4_Click()
{
    setText1_Text(QStringLiteral("MSG"));
}
