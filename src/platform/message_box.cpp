#include "platform/message_box.h"

#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace {
MessageBoxHandler &currentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

struct OpenBox;
QList<OpenBox *> boxesOpen;

// Sets the cause beneath a box's message. The box wraps it to its width, which may break a
// command or a path where a hyphen or a slash allows it ("parlino --list-" / "ports"): each
// run of ASCII words is kept on one line, so what the operator types stays whole.
void setCause(QMessageBox &box, const QString &visibleCause)
{
    box.setInformativeText(visibleCause);
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    if (!label || visibleCause.isEmpty())
        return;
    static const QRegularExpression asciiWords(QStringLiteral("[!-~]+(?: [!-~]+)*"));
    QString html;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &words : asciiWords.globalMatch(visibleCause)) {
        html += visibleCause.sliced(done, words.capturedStart() - done).toHtmlEscaped();
        html += QStringLiteral("<nobr>") + words.captured().toHtmlEscaped()
                + QStringLiteral("</nobr>");
        done = words.capturedEnd();
    }
    html += visibleCause.sliced(done).toHtmlEscaped();
    html.replace(u'\n', QStringLiteral("<br>"));
    label->setTextFormat(Qt::RichText);
    label->setText(html);
}

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
        setCause(box, visibleCause);
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
            setCause(*box->shown, visibleCause);
    }
}

MessageBoxHandler installMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
