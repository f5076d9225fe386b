#include "platform/busy_pointer.h"

#include <QApplication>
#include <QWidget>

BusyPointer::BusyPointer(QWidget *window)
    : window_(window)
{
    window_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void BusyPointer::release()
{
    if (!active_)
        return;
    active_ = false;
    window_->setEnabled(true);
    QApplication::restoreOverrideCursor();
}
