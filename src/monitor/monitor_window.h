#pragma once

#include "monitor/record_model.h"

#include <QSortFilterProxyModel>
#include <QTimer>
#include <QWidget>

class Form1;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTableView;

// Hides status polls and the receives made only of their replies, while asked to.
class PollFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setHidePolls(bool hide);
    bool hidesPolls() const { return hide_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool hide_ = false;
};

// The line monitor: a window of its own beside the console's window, one row per record of
// the line. It follows the newest row until the operator scrolls or stops it, finds text,
// copies and saves rows, and sends a typed command line through the window's write path.
// While it is closed the model only keeps the rows; the model outlives it.
class MonitorWindow : public QWidget
{
    Q_OBJECT

public:
    MonitorWindow(Form1 &form, RecordModel &model, QWidget *parent = nullptr);
    ~MonitorWindow() override;

    RecordModel &model() { return model_; }
    // Shows the window (beside the console's window the first time, else where it was
    // left) with the command field focused, or closes it.
    void toggle();
    void open();
    // The file the window's place is kept in, beside the settings file.
    static QString placeFileName();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void sendCommand();
    void findNext();
    void copyRows();
    void saveRows();
    void follow(bool on);
    void showDropped(quint64 total);
    void keepPlace();
    // Puts the rows under the view (through the filter while it hides polls), or takes them
    // away while the window is closed.
    void attachView(bool attached);
    std::vector<int> selectedSourceRows() const;

    Form1 &form_;
    RecordModel &model_;
    PollFilter filter_;
    QTimer followTimer_;
    QTableView *view_ = nullptr;
    QLineEdit *findField_ = nullptr;
    QLineEdit *commandField_ = nullptr;
    QLabel *commandStatus_ = nullptr;
    QLabel *dropNote_ = nullptr;
    QCheckBox *followBox_ = nullptr;
    QCheckBox *hidePollsBox_ = nullptr;
    bool placed_ = false;
    bool userScrolled_ = false;
};
