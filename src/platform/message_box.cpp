#include "platform/message_box.h"

#include <QMessageBox>

namespace {
MessageBoxHandler &currentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}
} // namespace

void MsgBox(QWidget *parent, const QString &prompt, int buttons, const QString &title)
{
    if (const MessageBoxHandler handler = currentHandler()) {
        handler(prompt, buttons, title);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, prompt, QMessageBox::Ok, parent);
    box.exec();
}

MessageBoxHandler installMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
