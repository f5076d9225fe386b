#include "ui/form1.h"

#include "link/reconnect.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>

Form1::Form1(std::unique_ptr<SerialControl> serial, QWidget *parent)
    : QWidget(parent)
    , serial_(serial ? std::move(serial) : makeSerialControl())
{
    ui.setupUi(this);
    MSComm1 = serial_.get();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);
    replyQuiet_ = new QTimer(this);
    replyQuiet_->setSingleShot(true);
    connect(replyQuiet_, &QTimer::timeout, this, &Form1::takeDueReply);

    reconnectWatch_ = new QTimer(this);
    reconnectWatch_->setObjectName(QStringLiteral("reconnectWatch"));
    reconnectWatch_->setInterval(reconnectWatchMs);
    connect(reconnectWatch_, &QTimer::timeout, this, &Form1::reconnectTick);

    connect(MSComm1, &SerialControl::OnComm, this, &Form1::MSComm1_OnComm);
    connect(MSComm1, &SerialControl::openFinished, this, &Form1::MSComm1_OpenFinished);
    // Queued: the box must not open inside the serial control's own error handler.
    connect(MSComm1,
            &SerialControl::deviceLost,
            this,
            &Form1::MSComm1_DeviceLost,
            Qt::QueuedConnection);
    // The port box takes typed text as it stands: no completion from the list, no new
    // entries, and only a pick from the list (or its arrow keys) is a click. Qt would also
    // pick the entry that equals typed text when the box loses the focus or on Enter; the
    // filter below keeps that from counting.
    ui.Combo1->setCompleter(nullptr);
    ui.Combo1->setInsertPolicy(QComboBox::NoInsert);
    ui.Combo1->installEventFilter(this);
    connect(ui.Combo1, &QComboBox::activated, this, [this] {
        if (!typedTextEnding_)
            Combo1_Click();
    });
    connect(ui.Combo1, &QComboBox::editTextChanged, this, &Form1::portBoxChanged);
    connect(ui.Combo2, &QComboBox::activated, this, &Form1::Combo2_Click);
    connect(ui.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(ui.Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(ui.Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(ui.Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(ui.Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(ui.Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(ui.Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(ui.Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(ui.Command11, &QPushButton::clicked, this, &Form1::Command11_Click);
    connect(ui.Command13, &QPushButton::clicked, this, &Form1::Command13_Click);
    connect(ui.Command15, &QPushButton::clicked, this, &Form1::Command15_Click);
    connect(ui.Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(ui.Command17, &QPushButton::clicked, this, &Form1::Command17_Click);
    connect(ui.Command18, &QPushButton::clicked, this, &Form1::Command18_Click);
    connect(ui.Command19, &QPushButton::clicked, this, &Form1::Command19_Click);
    connect(ui.Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(ui.Slider1, &QSlider::valueChanged, this, &Form1::Slider1_Change);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);

    // The port list's tooltips are filled each time the list opens.
    ui.Combo1->view()->window()->installEventFilter(this);

    Form_Load();

    ui.Text1->setFocus();
}

Form1::~Form1() = default;

QString Form1::Text1_Text() const
{
    QString text = ui.Text1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
    return text;
}

void Form1::setText1_Text(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(u'\r', u'\n');
    ui.Text1->setPlainText(plain);
}

void Form1::writeText(const QString &text)
{
    // Once the program is ending nothing more goes to the module.
    if (ending_)
        return;
    // Every poll is counted here, whoever writes it: the pump, STT, 記録, a script's line.
    if (isStatusPoll(text) && MSComm1->PortOpen())
        countPoll();
    else if (MSComm1->PortOpen())
        polls_.commandWritten(text, writingLine_, clock_.nowMs());
    MSComm1->Output(text);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui.Combo1 && !typedTextEnding_) {
        const bool enter = event->type() == QEvent::KeyPress
                           && (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return
                               || static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter);
        if (enter || event->type() == QEvent::FocusOut) {
            const QScopedValueRollback typing(typedTextEnding_, true);
            static_cast<QObject *>(ui.Combo1)->event(event);
            return true;
        }
    }
    if (event->type() == QEvent::Show && watched == ui.Combo1->view()->window())
        refreshPortTooltips();
    // The port box's own tooltip is made when it is asked for: it names the device now.
    if (event->type() == QEvent::ToolTip && watched == ui.Combo1)
        refreshPortBoxTooltip();
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}
