// The module's sign: a module that does not answer, one that refused a command of the
// window's own, one that sends its status unasked. It goes into the window's title, which
// every desktop shows, so that nothing of the window's own layout changes and no box stops
// the operator; the port and device it names tell a wrong port from a slow module. It
// belongs to the connection it was shown for: CLOSE, a loss and a change of port take it away.
#include "link/visible_causes.h"
#include "platform/console_output.h"
#include "transport/device_path.h"
#include "ui/form1.h"

void Form1::showSigns()
{
    // The window's own title is taken while no sign is in it; each sign then follows it in a
    // fixed order, so taking one away never takes another with it.
    if (!signsShown_)
        designTitle_ = windowTitle();
    QString title = designTitle_;
    for (const QString &sign : {moduleSign_, encodingSign_}) {
        if (!sign.isEmpty())
            title += QStringLiteral(" — ") + sign;
    }
    signsShown_ = !moduleSign_.isEmpty() || !encodingSign_.isEmpty();
    setWindowTitle(title);
}

void Form1::showModuleSign(const QString &sign)
{
    moduleSign_ = sign;
    showSigns();
}

void Form1::clearModuleSign()
{
    moduleSilent_ = false;
    if (std::exchange(moduleSign_, QString()).isEmpty())
        return;
    showSigns();
}

int Form1::signPort() const
{
    // The port box may show another port by now; the sign names the one that is open.
    return MSComm1->PortOpen() && openPort_ != 0 ? openPort_ : MSComm1->CommPort();
}

void Form1::showModuleSilent()
{
    // A module known to send status unasked keeps that sign: it is the graver news.
    if (polls_.sendsUnasked())
        return;
    moduleSilent_ = true;
    const int port = signPort();
    showModuleSign(moduleSilentSign(port, devicePathForPort(port)));
}

void Form1::showModuleRefused(const QString &command)
{
    moduleSilent_ = false;
    const int port = signPort();
    showModuleSign(moduleRefusedSign(port, devicePathForPort(port), command));
}

void Form1::moduleSendsUnasked()
{
    moduleSilent_ = false;
    const int port = signPort();
    const QString sign = moduleUnaskedSign(port, devicePathForPort(port));
    showModuleSign(sign);
    emit pumpNote(QStringLiteral("UNASKED"),
                  QStringLiteral("more status replies than polls: lines wait for two idle "
                                 "replies after each line's acknowledgement"));
    reportToConsole(sign);
}

void Form1::clearModuleSilent()
{
    if (moduleSilent_)
        clearModuleSign();
}

void Form1::moduleAnswered()
{
    ++repliesHeard_;
    clearModuleSilent();
}
