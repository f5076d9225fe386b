#include "platform/message_box.h"

#include <QMessageBox>

namespace {
MessageBoxHandler &currentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

int boxesOpen = 0;

// Counts a box as open for as long as it lives, also when its event loop is left by the
// end of the program.
struct OpenBox
{
    OpenBox() { ++boxesOpen; }
    ~OpenBox() { --boxesOpen; }
    OpenBox(const OpenBox &) = delete;
    OpenBox &operator=(const OpenBox &) = delete;
};
} // namespace

void MsgBox(QWidget *parent, const QString &prompt, int buttons, const QString &title)
{
    MsgBox(parent, prompt, buttons, title, QString());
}

void MsgBox(QWidget *parent,
            const QString &prompt,
            int buttons,
            const QString &title,
            const QString &details,
            const QString &visibleCause)
{
    const OpenBox open;
    if (const MessageBoxHandler handler = currentHandler()) {
        handler(prompt, buttons, title, details, visibleCause);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, prompt, QMessageBox::Ok, parent);
    // The message stays as it is; the cause goes beneath it, and the technical trail behind
    // the details button (named by Qt's translation, "詳細を表示...").
    if (!visibleCause.isEmpty())
        box.setInformativeText(visibleCause);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.exec();
}

bool messageBoxIsOpen()
{
    return boxesOpen > 0;
}

MessageBoxHandler installMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
