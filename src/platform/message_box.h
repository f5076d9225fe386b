#pragma once

#include <QString>

#include <functional>

class QWidget;

// Buttons-and-icon code of the message box: the critical-error icon with an OK button.
constexpr int vbCritical = 16;

// Shows a modal message box with the critical-error icon and an OK button, and returns when
// the operator has closed it.
void MsgBox(QWidget *parent, const QString &prompt, int buttons, const QString &title);
// The same box with the technical trail behind its message under "詳細" (its detailed text),
// for an operator who started the console from the menu and sees no standard error, and,
// when given, the cause and what to do in a line or two beneath the message, visible without
// a click.
void MsgBox(QWidget *parent,
            const QString &prompt,
            int buttons,
            const QString &title,
            const QString &details,
            const QString &visibleCause = QString());

// True while a message box is open: its event loop lets timers tick meanwhile.
bool messageBoxIsOpen();
// True while a box with this prompt is open.
bool messageBoxIsOpen(const QString &prompt);
// Closes the open boxes with this prompt as their OK would, once what they said no longer
// holds; each MsgBox that shows one then returns.
void closeMessageBoxes(const QString &prompt);
// Gives the open boxes with this prompt a new cause beneath their message, once the old one
// no longer holds but the message does.
void setMessageBoxCause(const QString &prompt, const QString &visibleCause);

// Tests answer message boxes without a window: the handler gets what would be shown (details
// and the visible cause empty when the box has none) and returns at once. Returns the handler
// that was installed before; an empty one restores the real box.
using MessageBoxHandler = std::function<void(const QString &prompt,
                                             int buttons,
                                             const QString &title,
                                             const QString &details,
                                             const QString &visibleCause)>;
MessageBoxHandler installMessageBoxHandler(MessageBoxHandler handler);
