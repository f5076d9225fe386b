// Exit: 終了 and closing the window end the program at once. Nothing is asked, saved or
// sent, also in the middle of a speaking run or of a wait for the module.
#include "platform/program_end.h"
#include "transport/serial_control.h"
#include "ui/form1.h"

void Form1::Command9_Click()
{
    endProgram();
}

void Form1::endProgram(int exitStatus)
{
    if (ending_)
        return;
    ending_ = true;
    Timer1->stop();
    Timer2->stop();
    MSComm1->setPortOpen(false);
    EndProgram(exitStatus);
}
