// The preset messages: up to five lines of the presets file, read once at start-up, and the
// buttons that put them (or just "MSG") into the send box.
#include "platform/app_paths.h"
#include "platform/text_file.h"
#include "ui/form1.h"

void Form1::Get_Msg_dat()
{
    // A missing file leaves every entry empty; lines after the fifth are not read.
    const std::optional<QString> text
        = readTextFile(appFilePath(QStringLiteral("\\parlino_msg_ini.txt")));
    if (!text)
        return;
    const QStringList lines = splitTextLines(*text, qsizetype(Msg_dat.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        Msg_dat[size_t(i)] = QStringLiteral("MSG") + lines[i] + QStringLiteral("\r\n");
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
