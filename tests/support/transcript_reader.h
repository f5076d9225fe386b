#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One record of a transcript file: "<ms> TAB <kind> TAB <text> TAB <bytes in hex>".
struct TranscriptRecord
{
    double ms;
    QString kind;
    QString text;
    QByteArray bytes;
};

// Every complete record of a transcript's content.
QList<TranscriptRecord> readTranscript(const QByteArray &content);
