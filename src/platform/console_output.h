#pragma once

#include <QString>

// Text for the operator on standard output and standard error, as the system's own tools read
// it. Linux: UTF-8. Windows: a console window shows it as Unicode, whatever its code page; a
// file or a pipe gets it in the console's output code page (932 on a Japanese Windows, UTF-8
// where the console is set to 65001), or in the ANSI code page where no console is attached,
// so that type, findstr and PowerShell read it. Transcripts and reports are files of their
// own and stay UTF-8.
enum class ConsoleStream { Output, Error };

// Writes the text as it is (line ends "\n", made "\r\n" on Windows) and flushes it.
void writeToConsole(ConsoleStream stream, const QString &text);

// Writes a line for the operator to standard error, "parlino: " first (further lines of it
// indented), after taking away a status line that is being rewritten there.
void reportToConsole(const QString &line);
