// The receive event: each arrival of data replaces Rcv_dat whole. Nothing is appended,
// trimmed or parsed here; readers look at the first characters only.
#include "platform/serial_control.h"
#include "ui/form1.h"

void Form1::MSComm1_OnComm()
{
    if (MSComm1->CommEvent() == SerialControl::comEvReceive)
        Rcv_dat = MSComm1->Input();
}
