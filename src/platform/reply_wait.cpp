#include "platform/reply_wait.h"

#include <QEventLoop>
#include <QTimer>

void WaitForReply(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
