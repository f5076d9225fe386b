#include "monitor/monitor_access.h"

#include "link/status_polls.h"
#include "link/transcript.h"
#include "monitor/monitor_window.h"
#include "ui/form1.h"

#include <QAction>
#include <QMenu>
#include <QShortcut>

LineMonitor::LineMonitor(Form1 &form)
    : form_(form)
{}

LineMonitor::~LineMonitor() = default;

MonitorWindow &LineMonitor::window()
{
    if (!window_)
        window_ = std::make_unique<MonitorWindow>(form_, model_);
    return *window_;
}

bool LineMonitor::isOpen() const
{
    return window_ && window_->isVisible();
}

void LineMonitor::open()
{
    window().open();
}

void LineMonitor::toggle()
{
    window().toggle();
}

std::unique_ptr<LineMonitor> attachMonitor(Form1 &form, Transcript &transcript)
{
    auto monitor = std::make_unique<LineMonitor>(form);
    LineMonitor *window = monitor.get();
    RecordModel *model = &monitor->model();
    // A poll is counted before it is written, so the count names the poll being written.
    QObject::connect(
        &transcript,
        &Transcript::recorded,
        model,
        [model,
         &form](double ms, const QString &kind, const QString &text, const QByteArray &bytes) {
            const bool poll = kind == QLatin1String("OUT") && isStatusPoll(text);
            model->append(ms, kind, text, bytes, poll ? form.statusPolls().mark() : 0);
        });
    QObject::connect(&form, &Form1::lineWritten, model, &RecordModel::noteLineWritten);
    QObject::connect(&form, &Form1::statusAnswered, model, &RecordModel::noteStatusAnswered);

    auto *key = new QShortcut(QKeySequence(Qt::Key_F12), &form);
    QObject::connect(key, &QShortcut::activated, window, &LineMonitor::toggle);
    // The receive box keeps its own menu; the monitor's entry is added below it.
    QLineEdit *received = form.ui.Text2;
    received->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(received,
                     &QWidget::customContextMenuRequested,
                     window,
                     [received, window](const QPoint &at) {
                         std::unique_ptr<QMenu> menu(received->createStandardContextMenu());
                         menu->addSeparator();
                         QAction *entry = menu->addAction(QStringLiteral("通信モニタ\tF12"));
                         entry->setObjectName(QStringLiteral("monitorEntry"));
                         entry->setCheckable(true);
                         entry->setChecked(window->isOpen());
                         QObject::connect(entry, &QAction::triggered, window, &LineMonitor::toggle);
                         menu->exec(received->mapToGlobal(at));
                     });
    return monitor;
}
