// The whole receive path into the line pump: the window on a recording serial control, a send
// box from the input, and then any order of arrivals of bytes (decoded by one stateful code
// page 932 decoder and delivered as receive events, as the serial control does), ticks of
// the pump, stop requests, repeat switches and new speak requests.
#include "fuzz_check.h"
#include "link/encodable.h"
#include "link/reply.h"
#include "link/reply_assembler.h"
#include "link/status_polls.h"
#include "platform/message_box.h"
#include "platform/program_end.h"
#include "speak/speak_request.h"
#include "support/recording_serial.h"
#include "text/cp932.h"
#include "ui/form1.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <deque>
#include <limits>

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>

namespace {

const QString poll = QStringLiteral("STT\r");
const QString clearError = QStringLiteral("CLR0\r");

struct Console
{
    Form1 *form = nullptr;
    RecordingSerial *serial = nullptr;
    int boxes = 0;
    QString delivered; // every text the module sent during this input
    // The module answers polls in order. Each poll is stamped with the step of the run it
    // was written in (a new step at 発話, at each line and at the error path); a status
    // reply answers the oldest poll waiting, however late. Only an answer to a poll of the
    // current step tells the pump anything; without one it waits while a poll is in flight
    // and no status reply has come since the latest poll. Every other command written waits
    // for its answer in order too: an acknowledgement, or the version for VER; when it
    // comes, the polls written before that command and still waiting are lost.
    std::deque<int> polls;
    quint64 written = 0;
    quint64 answered = 0;
    quint64 lastAnswered = 0; // the poll the latest status reply answered
    quint64 stepMark = 0;     // polls written when the step began
    bool sendsUnasked = false;
    struct Command
    {
        quint64 pollMark;
        bool version;
    };
    std::deque<Command> commands;
    int step = 0;
    int answeredStep = -1;
    bool answeredSincePoll = false;
    ReplyClass answer = ReplyClass::None;
    // A status counts once it answers a poll of this step and the answers of the commands
    // written before the step have come.
    ReplyClass fresh() const
    {
        const bool awaited
            = std::any_of(commands.cbegin(), commands.cend(), [this](const Command &c) {
                  return c.pollMark <= stepMark;
              });
        return answeredStep == step && !awaited ? answer : ReplyClass::None;
    }
    // A module seen to send status unasked: an idle reply may be held back as too old.
    bool unasked() const { return sendsUnasked; }
    void newStep()
    {
        ++step;
        stepMark = written;
    }
    void statusReply(ReplyClass status)
    {
        if (polls.empty())
            return;
        answeredStep = polls.front();
        answer = status;
        polls.pop_front();
        lastAnswered = ++answered;
        answeredSincePoll = true;
    }
    void pollWritten(int ofStep)
    {
        polls.push_back(ofStep);
        ++written;
        answeredSincePoll = false;
    }
    void commandWritten(const QString &text)
    {
        const QString command = text.endsWith(u'\r') ? text.chopped(1) : text;
        if (text == poll || command.isEmpty())
            return;
        commands.push_back({written, command == u"VER"});
        if (commands.size() > size_t(StatusPolls::keptCommands))
            commands.pop_front();
    }
    void marker(bool version)
    {
        const auto found
            = std::find_if(commands.begin(), commands.end(), [version](const Command &c) {
                  return c.version == version;
              });
        if (found == commands.end())
            return;
        const quint64 mark = found->pollMark;
        commands.erase(commands.begin(), std::next(found));
        sendsUnasked = sendsUnasked || lastAnswered > mark;
        for (; answered < mark; ++answered)
            polls.pop_front();
    }
};

Console console;

// The window's state as a tick finds it.
struct Before
{
    qint16 flg;
    qint16 stop;
    qint16 repeat;
    qint16 cnt;
    qint16 max;
    QStringList lines;
    QString received;
    ReplyClass reply; // what the pump may act on
    bool inFlight;    // a poll waits and nothing has answered since the latest
    int boxes;
    bool unasked; // an idle reply may be held back
};

Before before()
{
    const Form1 &f = *console.form;
    return {f.Snd_flg,
            f.Stop_flg,
            f.Rep_flg,
            f.Snd_cnt,
            f.Snd_max,
            f.Snd_dat,
            f.Rcv_dat,
            console.fresh(),
            !console.polls.empty() && !console.answeredSincePoll,
            console.boxes,
            console.unasked()};
}

void checkTick(const Before &b)
{
    const Form1 &f = *console.form;
    const QStringList &written = console.serial->written;
    // The pump reads Rcv_dat and never changes it.
    FUZZ_CHECK(f.Rcv_dat == b.received);
    if (b.flg == 0) {
        FUZZ_CHECK(written.isEmpty() && f.Snd_flg == 0);
        return;
    }
    FUZZ_CHECK(f.Snd_max == b.max && f.Snd_dat == b.lines);
    FUZZ_CHECK(f.Snd_cnt >= 0 && f.Snd_cnt <= f.Snd_max);
    if (b.inFlight && b.reply == ReplyClass::None) {
        // A poll in flight and nothing new: wait for its answer; only its time-out lets the
        // next go, and the one that timed out still waits for its own.
        FUZZ_CHECK(f.Snd_cnt == b.cnt && f.Snd_flg == 1 && console.boxes == b.boxes);
        FUZZ_CHECK(written.isEmpty() || written == QStringList{poll});
        if (!written.isEmpty())
            console.pollWritten(console.step);
        return;
    }
    if (b.reply == ReplyClass::None) {
        // No status known since the last step: ask for it, nothing else.
        FUZZ_CHECK(written == QStringList{poll} && f.Snd_cnt == b.cnt && f.Snd_flg == 1);
        console.pollWritten(console.step);
        return;
    }
    if (f.Snd_cnt == b.cnt + 1) {
        // The next line of the list, as stored, alone; only on a fresh idle reply, never
        // once stopping.
        FUZZ_CHECK(written == QStringList{b.lines[b.cnt]});
        FUZZ_CHECK(b.reply == ReplyClass::Idle && b.stop == 0);
        console.newStep();
    } else if (f.Snd_cnt != b.cnt) {
        // Back to the top only at the end of the list, with repeat on.
        FUZZ_CHECK(f.Snd_cnt == 0 && b.cnt == b.max && b.repeat == 1 && written.isEmpty());
    } else if (console.boxes != b.boxes) {
        // An error reply: one box, the error cleared, the run stopping on a poll after it.
        FUZZ_CHECK(console.boxes == b.boxes + 1);
        FUZZ_CHECK(b.reply == ReplyClass::Error && b.stop == 0 && f.Stop_flg == 1);
        FUZZ_CHECK((written == QStringList{clearError, poll}));
        console.newStep();
        console.pollWritten(console.step);
    } else if (f.Snd_flg == 1) {
        // Speaking or stopping: poll again, once the poll in flight is answered or late.
        FUZZ_CHECK(written == QStringList{poll} || (b.inFlight && written.isEmpty()));
        FUZZ_CHECK(b.reply != ReplyClass::Idle || b.stop == 0 || b.unasked);
        if (!written.isEmpty())
            console.pollWritten(console.step);
    }
    // Stopping writes no line and never restarts the list.
    if (b.stop == 1)
        FUZZ_CHECK(f.Snd_cnt == b.cnt && (written.isEmpty() || written == QStringList{poll}));
    if (f.Snd_flg == 0) {
        // A run ends on a fresh idle reply once stopped, or at the end of the list.
        FUZZ_CHECK(written.isEmpty() && b.reply == ReplyClass::Idle);
        FUZZ_CHECK(b.stop == 1 || (b.cnt == b.max && b.repeat == 0));
    }
}

void tick()
{
    const Before b = before();
    console.serial->written.clear();
    console.form->Timer1_Timer();
    checkTick(b);
}

void speak()
{
    Form1 &f = *console.form;
    const int boxes = console.boxes;
    const QStringList lines = f.Snd_dat;
    f.Command10_Click();
    const QString text = f.Text1_Text();
    if (!beginsWithMsg(text) || unencodableCharacterMessage(completeWithCrLf(text))) {
        // Refused with a box; the run in progress, if any, is untouched.
        FUZZ_CHECK(console.boxes == boxes + 1 && f.Snd_dat == lines);
        return;
    }
    FUZZ_CHECK(f.Snd_flg == 1 && f.Stop_flg == 0 && f.Snd_cnt == 0);
    // Even the first line waits for an idle reply to a poll written after 発話.
    console.newStep();
    FUZZ_CHECK(f.Snd_dat == splitAtLineFeeds(completeWithCrLf(text)));
    FUZZ_CHECK(f.Snd_max == f.Snd_dat.size() - 1);
}

// Empties what an input filled, so that the next starts afresh and the memory an input took
// is given back by its end (the fuzzer looks for leaks when an input keeps memory).
void reset()
{
    Form1 &f = *console.form;
    f.setText1_Text(QString());
    f.ui.Text2->clear();
    f.Snd_flg = 0;
    f.Stop_flg = 0;
    f.Snd_cnt = 0;
    f.Snd_max = 0;
    f.Snd_dat.clear();
    // A CR completes whatever piece of a reply is still waiting for one.
    console.serial->deliver(QStringLiteral("\r"));
    f.Rcv_dat.clear();
    f.ui.Check1->setChecked(false);
    f.Check1_Click();
    console.serial->Input();
    console.serial->written.clear();
    console.delivered.clear();
    // A poll still in flight stays so for the window too: the next input's run waits for it.
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt gets arguments of its own: it would take out the ones it knows from the fuzzer's.
    static int argc = 1;
    static char name[] = "fuzz_line_pump";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    // Start-up reads its files from the working folder and OPEN writes one there.
    static QTemporaryDir work;
    QDir::setCurrent(work.path());
    installMessageBoxHandler(
        [](const QString &, int, const QString &, const QString &, const QString &) {
            ++console.boxes;
        });
    installEndProgramHandler([] {});

    auto serial = std::make_unique<RecordingSerial>();
    console.serial = serial.get();
    static Form1 form(std::move(serial));
    console.form = &form;
    form.Timer1->stop();
    form.Timer2->stop();
    form.Command5_Click();
    FUZZ_CHECK(console.serial->PortOpen());
    // Time stands still: no command's answer is ever given up for late.
    form.pumpClock().simulate();
    // The model keeps every poll waiting until it is answered: none is given up as lost.
    form.setLateReplyLimitMs(std::numeric_limits<qint64>::max());
    QObject::connect(&form, &Form1::replyTaken, [](const QString &reply) {
        forEachReply(reply, [](QStringView one) {
            if (one == u">" || one == u"?")
                console.marker(false);
            else if (one.startsWith(u"ver"))
                console.marker(true);
            else if (const ReplyClass status = classifyReply(one); status != ReplyClass::None)
                console.statusReply(status);
        });
    });
    console.serial->onWrite = [](const QString &text) {
        console.commandWritten(text);
    };
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string sendBox = input.ConsumeRandomLengthString(80);
    console.form->setText1_Text(
        cp932::decode(QByteArray(sendBox.data(), qsizetype(sendBox.size()))));
    speak();

    // A fresh decoder, as after an OPEN.
    cp932::Decoder decoder;
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
        case 1:
        case 2:
        case 3:
            tick();
            break;
        case 4:
        case 5:
        case 6: {
            const size_t length = input.ConsumeIntegralInRange<size_t>(1, 12);
            const std::string bytes = input.ConsumeBytesAsString(length);
            const QString text
                = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
            if (!text.isEmpty()) {
                const QString received = console.form->Rcv_dat;
                console.delivered += text;
                console.serial->deliver(text);
                // Whole replies only: a text that replaced Rcv_dat is text the module sent,
                // ending with its line end (CR or LF), or cut at the bound on a reply; an LF
                // alone belongs to the reply before.
                const QString &now = console.form->Rcv_dat;
                if (now != received && now != received + u'\n') {
                    FUZZ_CHECK(now.endsWith(u'\r') || now.endsWith(u'\n')
                               || now.size() >= ReplyAssembler::replyBoundBytes);
                    FUZZ_CHECK(console.delivered.contains(now));
                }
            }
            break;
        }
        case 7: {
            const qint16 running = console.form->Snd_flg;
            console.form->Command18_Click();
            // A stop request; pressed again while stopping, the run ends, unless the press
            // is the second of a double click.
            FUZZ_CHECK(console.form->Stop_flg == 1 && console.form->Snd_flg <= running);
            break;
        }
        case 8:
            console.form->ui.Check1->toggle();
            console.form->Check1_Click();
            break;
        default:
            speak();
            break;
        }
    }
    reset();
    return 0;
}
