#include "platform/message_box.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>

namespace {
MessageBoxHandler &currentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

struct OpenBox;
QList<OpenBox *> boxesOpen;

// Counts a box as open for as long as it lives, also when its event loop is left by the
// end of the program; the program may close it as its OK would.
struct OpenBox
{
    explicit OpenBox(const QString &prompt)
        : prompt(prompt)
    {
        boxesOpen.append(this);
    }
    ~OpenBox() { boxesOpen.removeOne(this); }
    OpenBox(const OpenBox &) = delete;
    OpenBox &operator=(const OpenBox &) = delete;

    QString prompt;
    QPointer<QMessageBox> shown; // none while a test's handler answers
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
    OpenBox open(prompt);
    if (const MessageBoxHandler handler = currentHandler()) {
        handler(prompt, buttons, title, details, visibleCause);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, prompt, QMessageBox::Ok, parent);
    open.shown = &box;
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
    return !boxesOpen.isEmpty();
}

bool messageBoxIsOpen(const QString &prompt)
{
    return std::any_of(boxesOpen.cbegin(), boxesOpen.cend(), [&](const OpenBox *box) {
        return box->prompt == prompt;
    });
}

void closeMessageBoxes(const QString &prompt)
{
    for (OpenBox *box : std::as_const(boxesOpen)) {
        if (box->prompt == prompt && box->shown)
            box->shown->done(QMessageBox::Ok);
    }
}

void setMessageBoxCause(const QString &prompt, const QString &visibleCause)
{
    for (OpenBox *box : std::as_const(boxesOpen)) {
        if (box->prompt == prompt && box->shown)
            box->shown->setInformativeText(visibleCause);
    }
}

MessageBoxHandler installMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
