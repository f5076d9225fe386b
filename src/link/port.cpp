// Choosing, opening and closing the port.
#include "link/port_names.h"
#include "link/port_numbers.h"
#include "link/visible_causes.h"
#include "platform/console_output.h"
#include "platform/message_box.h"
#include "transport/device_path.h"
#include "transport/serial_control.h"
#include "ui/form1.h"

#include <QGuiApplication>

#include <utility>

void Form1::Combo1_Click()
{
    // A pick is a change of the port box: a lost device is awaited no more.
    stopAwaitingLostDevice();
    // Only the number is stored; an open port is not touched, the new number applies at
    // the next OPEN.
    if (const int port = portNumberOf(ui.Combo1->currentText())) {
        // The module's sign names the port it was shown for; another port says nothing yet.
        if (!MSComm1->PortOpen() && port != MSComm1->CommPort())
            clearModuleSign();
        MSComm1->setCommPort(port);
    }
}

void Form1::Command5_Click()
{
    // The port that opens is the one the box shows, typed or picked; text that names no port
    // opens nothing, so the settings file only ever holds a port that opened.
    const QString shown = ui.Combo1->currentText();
    const int port = portNumberOf(shown);
    if (port == 0) {
        showOpenFailure(
            QStringLiteral("\"%1\" is no port name (COM1 to COM16)").arg(shown), 0, shown);
        return;
    }
    // The operator's open replaces a retry of a lost port that may be under way.
    if (openWaiter_ == OpenWaiter::Reconnect) {
        openWaiter_ = OpenWaiter::None;
        MSComm1->setPortOpen(false);
    }
    // Devices that came since the list was last opened get their numbers first.
    refreshPortNumbers();
    MSComm1->setCommPort(port);
    switch (MSComm1->startOpen()) {
    case SerialControl::OpenStart::Opened:
        portOpenedByOperator();
        break;
    case SerialControl::OpenStart::Failed:
        showOpenFailure(MSComm1->errorText(), port);
        break;
    case SerialControl::OpenStart::Pending:
        // A server is being reached: the window goes on painting and answering, CLOSE gives
        // the open up, and the pointer says that something is under way.
        if (openWaiter_ != OpenWaiter::Operator)
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        openWaiter_ = OpenWaiter::Operator;
        ui.Command5->setEnabled(false);
        ui.Command6->setEnabled(true);
        break;
    }
}

void Form1::MSComm1_OpenFinished(bool opened)
{
    const OpenWaiter waiter = std::exchange(openWaiter_, OpenWaiter::None);
    if (waiter == OpenWaiter::None)
        return;
    if (waiter == OpenWaiter::Operator)
        QGuiApplication::restoreOverrideCursor();
    if (opened && waiter == OpenWaiter::Operator)
        portOpenedByOperator();
    else if (opened)
        // A lost network port answered again.
        reconnected();
    else if (waiter == OpenWaiter::Operator) {
        showPortClosed();
        showOpenFailure(MSComm1->errorText(), MSComm1->CommPort());
    }
}

void Form1::showOpenFailure(const QString &cause, int port, const QString &shown)
{
    // The box keeps its one message; beneath it the cause and what to do, in its details the
    // technical trail, for an operator started from the menu, and the same on standard error.
    reportToConsole(QStringLiteral("COMがOPENできません: ") + cause);
    MsgBox(this,
           QStringLiteral("COMがOPENできません"),
           vbCritical,
           QStringLiteral("Com Port Error"),
           port == 0 ? cause : portCause(port, cause),
           port == 0 ? visibleNoPortName(shown)
                     : visibleOpenCause(port, devicePathForPort(port), MSComm1->errorCause()));
}

void Form1::portOpenedByOperator()
{
    // A settings file that cannot be written does not undo the open, but the operator
    // learns that the port will not be remembered.
    QString error;
    const bool saved = Put_Com_dat(&error);
    showPortOpened();
    if (!saved)
        MsgBox(this,
               QStringLiteral("ポートは開きましたが、設定を保存できません\n") + error,
               vbCritical,
               QStringLiteral("File Error"));
}

void Form1::Command6_Click()
{
    stopWatchingForReturn();
    // An open under way is given up: it reports nothing more.
    if (std::exchange(openWaiter_, OpenWaiter::None) == OpenWaiter::Operator)
        QGuiApplication::restoreOverrideCursor();
    MSComm1->setPortOpen(false);
    showPortClosed();
}

void Form1::showPortOpened()
{
    // Whatever device was lost before, the operator now has a port open.
    stopWatchingForReturn();
    openPort_ = MSComm1->CommPort();
    // What arrived before the close is no answer to anything asked on this connection.
    replies_.clear();
    replyQuiet_->stop();
    // A run goes on with a poll: the idle reply it last saw may be long out of date, or
    // come from another module, and polls written before the close are answered by nobody.
    polls_.forgetOutstanding();
    freshAfter_ = polls_.mark();
    lastStatus_ = ReplyClass::None;
    lastRefusedCommand_.clear();
    // The module of an earlier connection says nothing about this one.
    clearModuleSign();
    ui.Command5->setEnabled(false);
    ui.Command6->setEnabled(true);
    ui.Command10->setEnabled(true);
}

void Form1::showPortClosed()
{
    // CLOSE and a loss: the module's sign belonged to the connection that ended.
    clearModuleSign();
    ui.Command5->setEnabled(true);
    ui.Command6->setEnabled(false);
    ui.Command10->setEnabled(false);
}
