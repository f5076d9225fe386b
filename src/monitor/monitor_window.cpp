#include "monitor/monitor_window.h"

#include "monitor/command_field.h"
#include "platform/app_paths.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/whole_file.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

void PollFilter::setHidePolls(bool hide)
{
    if (hide == hide_)
        return;
    hide_ = hide;
    invalidateFilter();
}

bool PollFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!hide_)
        return true;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return !index.data(RecordModel::PollTrafficRole).toBool();
}

MonitorWindow::MonitorWindow(Form1 &form, RecordModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , form_(form)
    , model_(model)
{
    setObjectName(QStringLiteral("LineMonitor"));
    setWindowTitle(QStringLiteral("PARLINO 通信モニタ"));

    findField_ = new QLineEdit(this);
    findField_->setObjectName(QStringLiteral("findField"));
    findField_->setPlaceholderText(QStringLiteral("検索する文字"));
    auto *findButton = new QPushButton(QStringLiteral("次を検索"), this);
    followBox_ = new QCheckBox(QStringLiteral("最新の行を追う"), this);
    followBox_->setObjectName(QStringLiteral("followBox"));
    followBox_->setChecked(true);
    hidePollsBox_ = new QCheckBox(QStringLiteral("STTと応答を隠す"), this);
    hidePollsBox_->setObjectName(QStringLiteral("hidePollsBox"));
    auto *copyButton = new QPushButton(QStringLiteral("コピー"), this);
    auto *saveButton = new QPushButton(QStringLiteral("保存..."), this);
    auto *clearButton = new QPushButton(QStringLiteral("消去"), this);
    auto *tools = new QHBoxLayout;
    tools->addWidget(findField_, 1);
    tools->addWidget(findButton);
    tools->addWidget(followBox_);
    tools->addWidget(hidePollsBox_);
    tools->addWidget(copyButton);
    tools->addWidget(saveButton);
    tools->addWidget(clearButton);

    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("recordView"));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->setAlternatingRowColors(true);
    // Whole-pixel glyphs: a flood draws thousands of characters, and glyphs placed at
    // fractions of a pixel are cached once per fraction.
    QFont rowFont = view_->font();
    rowFont.setHintingPreference(QFont::PreferFullHinting);
    view_->setFont(rowFont);
    view_->verticalHeader()->hide();
    // Uniform rows: the view never measures the rows' contents, however many there are.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view_->horizontalHeader()->setStretchLastSection(true);

    dropNote_ = new QLabel(this);
    dropNote_->setObjectName(QStringLiteral("dropNote"));
    dropNote_->hide();

    commandField_ = new QLineEdit(this);
    commandField_->setObjectName(QStringLiteral("commandField"));
    commandField_->setPlaceholderText(
        QStringLiteral("コマンド (VER, STT, CLR0 ...) を入力してEnter"));
    commandStatus_ = new QLabel(this);
    commandStatus_->setObjectName(QStringLiteral("commandStatus"));
    auto *command = new QHBoxLayout;
    command->addWidget(new QLabel(QStringLiteral("コマンド:"), this));
    command->addWidget(commandField_, 2);
    command->addWidget(commandStatus_, 3);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(view_, 1);
    layout->addWidget(dropNote_);
    layout->addLayout(command);
    resize(760, 420);

    connect(commandField_, &QLineEdit::returnPressed, this, &MonitorWindow::sendCommand);
    connect(findField_, &QLineEdit::returnPressed, this, &MonitorWindow::findNext);
    connect(findButton, &QPushButton::clicked, this, &MonitorWindow::findNext);
    connect(copyButton, &QPushButton::clicked, this, &MonitorWindow::copyRows);
    connect(saveButton, &QPushButton::clicked, this, &MonitorWindow::saveRows);
    connect(clearButton, &QPushButton::clicked, &model_, &RecordModel::clear);
    connect(hidePollsBox_, &QCheckBox::toggled, this, [this](bool hide) {
        filter_.setHidePolls(hide);
        attachView(isVisible());
    });
    connect(followBox_, &QCheckBox::toggled, this, &MonitorWindow::follow);
    connect(&model_, &RecordModel::rowsDropped, this, &MonitorWindow::showDropped);
    // Following scrolls once a batch, after the filter (when between) has taken the rows.
    followTimer_.setSingleShot(true);
    followTimer_.setInterval(0);
    connect(&followTimer_, &QTimer::timeout, view_, &QTableView::scrollToBottom);
    connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (followBox_->isChecked() && isVisible() && !followTimer_.isActive())
            followTimer_.start();
    });
    // The operator's scrolling decides: away from the end stops following, back to it
    // follows again. Scrolling the program does (rows dropped at the front) decides nothing.
    QScrollBar *bar = view_->verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, [this] { userScrolled_ = true; });
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (std::exchange(userScrolled_, false))
            followBox_->setChecked(value >= bar->maximum());
    });
    connect(view_, &QTableView::pressed, this, [this] { followBox_->setChecked(false); });
    auto *copyKey = new QShortcut(QKeySequence::Copy, view_);
    copyKey->setContext(Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, &MonitorWindow::copyRows);
    auto *closeKey = new QShortcut(QKeySequence(Qt::Key_F12), this);
    connect(closeKey, &QShortcut::activated, this, &MonitorWindow::close);
}

MonitorWindow::~MonitorWindow()
{
    // The program ends with the monitor open: its place is kept as a close keeps it.
    if (isVisible())
        keepPlace();
}

QString MonitorWindow::placeFileName()
{
    return QStringLiteral("\\parlino_monitor.txt");
}

void MonitorWindow::toggle()
{
    if (isVisible())
        close();
    else
        open();
}

void MonitorWindow::open()
{
    if (!placed_) {
        placed_ = true;
        const std::optional<QByteArray> kept = readWholeFile(appFilePath(placeFileName()));
        if (!kept || !restoreGeometry(QByteArray::fromBase64(kept->trimmed()))) {
            // Beside the console's window, on its right, moved in if the screen ends there.
            const QRect console = form_.frameGeometry();
            QPoint at(console.right() + 8, console.top());
            if (const QScreen *screen = form_.screen()) {
                const QRect room = screen->availableGeometry();
                at.setX(std::max(room.left(), std::min(at.x(), room.right() - width())));
                at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - height())));
            }
            move(at);
        }
    }
    show();
    raise();
    activateWindow();
}

void MonitorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // While the window is closed the view is not attached: the model only keeps the rows.
    model_.flush();
    attachView(true);
    if (followBox_->isChecked())
        view_->scrollToBottom();
    commandField_->setFocus();
}

void MonitorWindow::closeEvent(QCloseEvent *event)
{
    keepPlace();
    event->accept();
    attachView(false);
    // The keyboard goes back to the console's window, where F12 opens the monitor again.
    if (form_.isVisible())
        form_.activateWindow();
}

void MonitorWindow::attachView(bool attached)
{
    const bool hide = attached && hidePollsBox_->isChecked();
    // The filter only stands between while it hides something: over all the rows it would
    // remap them all on every batch.
    QAbstractItemModel *source = hide ? &model_ : nullptr;
    if (filter_.sourceModel() != source)
        filter_.setSourceModel(source);
    QAbstractItemModel *wanted = hide       ? static_cast<QAbstractItemModel *>(&filter_)
                                 : attached ? &model_
                                            : nullptr;
    if (view_->model() == wanted)
        return;
    QHeaderView *header = view_->horizontalHeader();
    std::vector<int> widths{80, 90, 160, 170};
    if (header->count() == RecordModel::ColumnCount) {
        for (int column = 0; column < int(widths.size()); ++column)
            widths[std::size_t(column)] = header->sectionSize(column);
    }
    QItemSelectionModel *selection = view_->selectionModel();
    view_->setModel(wanted);
    delete selection;
    if (wanted) {
        for (int column = 0; column < int(widths.size()); ++column)
            view_->setColumnWidth(column, widths[std::size_t(column)]);
    }
}

void MonitorWindow::keepPlace()
{
    // The settings file is rewritten at every OPEN; the monitor's place has a file of its
    // own. A place that cannot be kept costs nothing but the place.
    writeWholeFile(appFilePath(placeFileName()), saveGeometry().toBase64() + '\n', nullptr);
}

void MonitorWindow::sendCommand()
{
    const CommandOutcome outcome = sendTypedCommand(form_, commandField_->text());
    commandStatus_->setText(outcome.said);
    if (outcome.sent)
        commandField_->clear();
}

void MonitorWindow::follow(bool on)
{
    if (on)
        view_->scrollToBottom();
}

void MonitorWindow::showDropped(quint64 total)
{
    dropNote_->setVisible(total > 0);
    dropNote_->setText(QStringLiteral("古い行を %1 行破棄しました（最新の %2 行を保持。"
                                      "--transcript のファイルにはすべて残ります）")
                           .arg(total)
                           .arg(model_.maxRows()));
}

void MonitorWindow::findNext()
{
    const QString wanted = findField_->text();
    if (wanted.isEmpty())
        return;
    model_.flush();
    const QAbstractItemModel *shown = view_->model();
    if (!shown)
        return;
    const int rows = shown->rowCount();
    const QModelIndex current = view_->currentIndex();
    const int start = current.isValid() ? current.row() + 1 : 0;
    for (int step = 0; step < rows; ++step) {
        const int row = (start + step) % rows;
        for (int column = 0; column < RecordModel::ColumnCount; ++column) {
            const QModelIndex index = shown->index(row, column);
            if (!index.data().toString().contains(wanted, Qt::CaseInsensitive))
                continue;
            followBox_->setChecked(false);
            view_->setCurrentIndex(index);
            view_->selectRow(row);
            view_->scrollTo(index);
            commandStatus_->clear();
            return;
        }
    }
    commandStatus_->setText(QStringLiteral("「%1」は見つかりません").arg(wanted));
}

std::vector<int> MonitorWindow::selectedSourceRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : view_->selectionModel()->selectedRows())
        rows.push_back(view_->model() == &filter_ ? filter_.mapToSource(index).row() : index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MonitorWindow::copyRows()
{
    const std::vector<int> rows = selectedSourceRows();
    if (!rows.empty())
        QGuiApplication::clipboard()->setText(model_.transcriptText(rows));
}

void MonitorWindow::saveRows()
{
    model_.flush();
    const std::optional<QString> path
        = askSavePath(this,
                      QStringLiteral("通信記録を保存"),
                      QStringLiteral("通信記録 (*.txt);;すべてのファイル (*)"),
                      appFilePath(QStringLiteral("\\parlino_monitor_transcript.txt")));
    if (!path)
        return;
    QString error;
    if (!writeWholeFile(*path, model_.transcriptText().toUtf8(), &error))
        MsgBox(this,
               QStringLiteral("通信記録を保存できません\n") + error,
               vbCritical,
               QStringLiteral("File Error"));
}
