#pragma once

#include <QStringList>

// A run holds at most this many lines to speak: the highest index of its list is a 16-bit
// number.
constexpr qsizetype maxSpeakLines = 32767;

// True when the text begins with "MSG" exactly.
bool beginsWithMsg(QStringView text);

// The text, with CR LF appended unless it already ends with CR LF.
QString completeWithCrLf(const QString &text);

// The completed text cut at every LF: each element keeps the CR before its LF, and the
// element after the final LF is empty.
QStringList splitAtLineFeeds(const QString &completed);
