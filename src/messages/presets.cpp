// The preset messages: up to five lines of the presets file, read once at start-up, and the
// buttons that put them (or just "MSG") into the send box.
#include "platform/app_paths.h"
#include "platform/working_files.h"
#include "ui/form1.h"

void Form1::Get_Msg_dat()
{
    Msg_dat.read(appFilePath(presetsFileName));
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
