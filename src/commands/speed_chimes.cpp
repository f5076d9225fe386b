// The speed slider and the two chimes: one command each, nothing read back.
#include "ui/form1.h"

void Form1::Slider1_Change()
{
    writeCommandLine(QStringLiteral("SPD") + QString::number(ui.Slider1->value()));
}

void Form1::Command7_Click()
{
    writeCommandLine(QStringLiteral("SSD01"));
}

void Form1::Command8_Click()
{
    writeCommandLine(QStringLiteral("SSD02"));
}
