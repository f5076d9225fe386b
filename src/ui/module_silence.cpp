// The sign of a module that does not answer. It goes into the window's title, which every
// desktop shows, so that nothing of the window's own layout changes and no box stops the
// operator; the port and device it names tell a wrong port from a slow module.
#include "link/visible_causes.h"
#include "transport/device_path.h"
#include "ui/form1.h"

void Form1::showModuleSilent()
{
    if (!moduleSilent_)
        designTitle_ = windowTitle();
    moduleSilent_ = true;
    // The port box may show another port by now; the sign names the one that is open.
    const int port = MSComm1->PortOpen() && openPort_ != 0 ? openPort_ : MSComm1->CommPort();
    setWindowTitle(designTitle_ + QStringLiteral(" — ")
                   + moduleSilentSign(port, devicePathForPort(port)));
}

void Form1::clearModuleSilent()
{
    if (!moduleSilent_)
        return;
    moduleSilent_ = false;
    setWindowTitle(designTitle_);
}

void Form1::moduleAnswered()
{
    ++repliesHeard_;
    clearModuleSilent();
}
