#pragma once

#include "link/pump_clock.h"
#include "link/reply.h"
#include "link/reply_assembler.h"
#include "link/status_polls.h"
#include "messages/preset_lines.h"
#include "platform/file_dialog.h"
#include "speak/run_outcome.h"
#include "text/text_file.h"
#include "transport/serial_control.h"
#include "ui_form1.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

// The console's one window. It owns every control and every form variable for the life of
// the program; its handlers are defined in the folder of their subsystem (the port in
// link/, the line pump in speak/, the module commands in commands/ ...).
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // Creates the window and runs Form_Load. Without a serial control the window makes
    // the QSerialPort-backed one.
    explicit Form1(std::unique_ptr<SerialControl> serial = nullptr, QWidget *parent = nullptr);
    ~Form1() override;

    // The controls, by their names in form1.ui.
    Ui::Form1 ui;
    QTimer *Timer1 = nullptr; // the line pump, every 100 ms while a run is active
    QTimer *Timer2 = nullptr; // the activity icon, every 100 ms while a run is active
    SerialControl *MSComm1 = nullptr;
    CommonDialog CommonDialog1;

    // Form variables, shared by the handlers.
    QString Rcv_dat;     // text of the latest receive event, replaced whole
    PresetLines Msg_dat; // the presets, "MSG" + line + CR LF
    QStringList Snd_dat; // lines of the run, each with its CR; the last is empty
    qint16 Snd_max = 0;  // highest index of Snd_dat
    qint16 Snd_cnt = 0;  // index of the next line to send
    qint16 Snd_flg = 0;  // 1 while a run is active
    qint16 Stop_flg = 0; // 1: stop requested or error latched
    qint16 Rep_flg = 0;  // 1: repeat the list
    QString File_nam;    // path of the file imported last
    qint16 File_no = 0;  // file number of the import file while it is read
    QString Eep_cmd;     // record command of the chosen slot
    QString Sel_cmd;     // play command of the chosen slot

    // The send box's text as the program reads it, with CR LF between lines.
    QString Text1_Text() const;
    // Replaces the send box's text; CR LF, a lone CR and a lone LF all break lines.
    void setText1_Text(const QString &text);

    // Writes the text to the port unchanged, in one write.
    void writeText(const QString &text);
    // Writes one command line: the text and one CR, in one write.
    void writeCommandLine(const QString &command) { writeText(command + u'\r'); }
    // Writes the status poll "STT". Every "STT" written, by whichever handler, is counted in
    // statusPolls() so that its reply is known for what it answers.
    void writePoll();
    // The one count of status polls written and answered on this connection.
    const StatusPolls &statusPolls() const { return polls_; }
    // The clock the pump, the polls and the reply assembly go by; the model check and the
    // pump's fuzz target simulate it through this.
    PumpClock &pumpClock() { return clock_; }
    // Hands over a reply that has waited for its end as long as it may (the pump's tick
    // and the reply timer both ask).
    void takeDueReply();
    // How late a status reply may come before waiting polls are taken as lost.
    void setLateReplyLimitMs(qint64 ms) { lateReplyMs_ = ms; }
    // True once the program is ending: handlers that wait return and write nothing more.
    bool isEnding() const { return ending_; }
    // Fills the send box from a text file as FILE does once a file is chosen. False, with
    // the reason in error, when the file cannot be imported; the send box is then untouched.
    // reading, when given, may force the file's encoding and tells which one was used.
    bool importFile(const QString &path, QString *error, TextReading *reading = nullptr);
    // Ends the program as 終了 does, with this exit status (a termination signal's).
    void endProgram(int exitStatus = 0);

    // How the last run ended; Running while one is active. The model check compares it with
    // what the modelled module did.
    RunOutcome runOutcome() const { return runOutcome_; }
    // True when the module reported an error during the current (or last) run.
    bool runHadModuleError() const { return runHadError_; }
    // True when the module answered a line of the current (or last) run with '?' (read by the
    // model check).
    bool runHadRefusal() const { return runHadRefusal_; }

    // The sign of a module that does not answer: after a poll time-out, or a query that got
    // no answer, the window's title names the port and device whose module is silent; the
    // next reply takes it away. No box, and no control moves or changes its caption.
    void showModuleSilent();
    void clearModuleSilent();
    // Whether the sign is up, for the tests of when it comes and goes.
    bool moduleSilentShown() const { return moduleSilent_; }
    // The module refused a command of the window's own; it sends status unasked. Both stay
    // until the connection ends.
    void showModuleRefused(const QString &command);
    void moduleSendsUnasked();
    // What the title says of the module, empty for nothing (the tests read it apart from the
    // rest of the title); clearModuleSign() takes it away.
    QString moduleSign() const { return moduleSign_; }
    void clearModuleSign();
    // Called with every reply of the module: counts it and takes the sign away.
    void moduleAnswered();
    // Replies heard since the window opened; a query compares it before and after its wait.
    quint64 repliesHeard() const { return repliesHeard_; }
    // The sign of an imported file that reads in both encodings: in the window's title until
    // the send box changes.
    void showEncodingSign(const QString &sign);
    void clearEncodingSign();

    // Arms a run of the completed text's lines (each ended by CR LF), each to go out as it
    // stands, as 発話 does once the send box has passed its check. False, after a box that
    // says why, when the lines are too many or hold a character the code page lacks.
    bool armRun(const QString &completed);

signals:
    // A speaking run has ended; runOutcome() tells how.
    void runEnded(RunOutcome outcome);
    // The pump wrote line index of the run's list.
    void lineWritten(int index);
    // The pump took this reply as the module's error report on the run.
    void errorReplyReported(const QString &reply);
    // A reply of the module, whole, as it was handed to Rcv_dat.
    void replyTaken(const QString &reply);
    // A status reply of the module and the number of the poll it answers (0: none waited).
    void statusAnswered(const QString &status, quint64 poll);
    // Something about the polls that belongs in the transcript ("POLL-TIMEOUT",
    // "POLLS-LOST", "REFUSED", "REPLY-CUT", "UNASKED").
    void pumpNote(const QString &kind, const QString &detail);
    // The module answered this command (without its CR) with '?'; line: its index in the
    // run, or -1 for a command of the window's own (再生, 記録, a chime ...).
    void commandRefused(const QString &command, int line);

public slots:
    // Start-up and exit.
    void Form_Load();
    void Command9_Click();

    // Serial link and port.
    void MSComm1_OnComm();
    void MSComm1_DeviceLost(const QString &reason);
    void MSComm1_OpenFinished(bool opened);
    void Combo1_Click();
    void Command5_Click();
    void Command6_Click();
    void Get_Com_dat();
    // False, with the reason, when the settings file could not be written.
    bool Put_Com_dat(QString *error = nullptr);

    // Message sources.
    void Get_Msg_dat();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command16_Click();
    void Command4_Click();
    void Command17_Click();

    // Speaking engine.
    void Command10_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Check1_Click();
    void Command18_Click();

    // Module commands.
    void Command19_Click();
    void Command15_Click();
    void Command11_Click();
    void Command13_Click();
    void Combo2_Click();
    void Slider1_Change();
    void Command7_Click();
    void Command8_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Open_File_dat(QString *error, TextReading *reading);
    void Close_File_dat();
    void showIdleIcon();
    void showSpeakingIcon();
    void endRun(RunOutcome outcome);
    void lineStep();
    void speakErrorPath();
    void runTimers(bool on);
    void pollWhenDue();
    void countPoll();
    void takeReply(const QString &reply);
    void takeMarker(QChar answer, const StatusPolls::Marker &marker);
    // The status the pump may go by: the latest, when it is known to be newer than the line.
    ReplyClass freshStatus() const;
    void showPortClosed();
    void showPortOpened();
    void portOpenedByOperator();
    // The open-failure box for the port (0: the shown text names none).
    void showOpenFailure(const QString &cause, int port, const QString &shown = QString());
    void watchForReturn();
    void stopWatchingForReturn();
    void reconnectTick();
    void reconnected();
    // Any change of the port box, a pick or an edit that leaves it naming another port or
    // none, ends the wait for a lost device.
    void portBoxChanged();
    void stopAwaitingLostDevice();
    // Another device has the lost device's name: said once for each device that comes.
    void tellOtherDevice(const DeviceIdentity &other);
    // What the loss box says beneath its message about port number n's lost device.
    QString lossCause(int port) const;
    void refreshPortBoxTooltip();
    void runQuery(const QString &command, QStringView prefix, QLineEdit *answerBox);
    void refreshPortTooltips();

    std::unique_ptr<SerialControl> serial_;
    TextFileReader importFile_;
    bool ending_ = false;
    bool typedTextEnding_ = false; // the port box is handling a focus-out or an Enter

    // The port that is open, or was open when its device went away; 0 before any open.
    int openPort_ = 0;
    // Runs only while a lost device is awaited: it opens the device again when it returns.
    QTimer *reconnectWatch_ = nullptr;
    QString lostDevice_;
    DeviceIdentity lostIdentity_; // what the lost device was when it opened
    QString otherDeviceTold_;     // the key of the other device last said to have its name
    int reopenTries_ = 0;
    // Who waits for an open of a network port that is under way.
    enum class OpenWaiter { None, Operator, Reconnect };
    OpenWaiter openWaiter_ = OpenWaiter::None;

    // Replies are handed to Rcv_dat whole: up to their CR, or after a quiet gap.
    ReplyAssembler replies_;
    QTimer *replyQuiet_ = nullptr;

    // One poll in flight at a time, unless it times out; each idle report is used once: a
    // line (the first after 発話 included) and the end of the run wait for an idle reply to
    // a poll written after the moment marked in freshAfter_.
    StatusPolls polls_;
    PumpClock clock_;
    qint64 pollWrittenMs_ = 0;   // when the latest poll was written
    int writingLine_ = -1;       // the run's line being written, while it is
    int lastLineWritten_ = -1;   // the run's latest line written; -1 before the first
    QString lastRefusedCommand_; // the latest command the module answered '?'
    bool runHadRefusal_ = false;
    qint64 lateReplyMs_ = StatusPolls::windowLateMs;
    int queryWaits_ = 0;     // VER or STT waits under way: Timer1 holds until they end
    quint64 freshAfter_ = 0; // polls_.mark() at the line, 発話 or OPEN
    ReplyClass lastStatus_ = ReplyClass::None; // what the latest answering reply said
    bool runHadError_ = false;                 // the module reported an error during this run
    QElapsedTimer stopPressed_;                // since 中止 asked the run to stop
    RunOutcome runOutcome_ = RunOutcome::Running;

    void showModuleSign(const QString &sign);
    void showSigns(); // the title: the window's own, then the module's and the file's signs
    int signPort() const;
    bool moduleSilent_ = false;
    QString moduleSign_;
    QString designTitle_; // the window's own title, kept while a sign is in it
    bool signsShown_ = false;
    quint64 repliesHeard_ = 0;
    QString encodingSign_; // the encoding sign in the title, empty when there is none
    QMetaObject::Connection encodingSignWatch_;
};
