#pragma once

#include <QStringList>

// The figures of console-bench, one per file. Each reads its arguments, prints its results as
// "key value" lines and returns the exit code.

// idle SECONDS: CPU of the console with the port open on the simulator and no run.
int benchIdle(const QStringList &arguments);
// ver-wait RUNS: CPU during the VER wait, and during 100,000 processEvents() calls.
int benchVerWait(const QStringList &arguments);
// import RUNS: time of FILE importing 32,767 lines.
int benchImport(const QStringList &arguments);
// import-reference BUDGET_MS: the same lines appended to the send box one by one.
int benchImportReference(const QStringList &arguments);
// split RUNS: time of the speak request's split of 32,767 lines, and of the whole request.
int benchSplit(const QStringList &arguments);
// pump LINES [--quiet-module]: lines a second and tick regularity of a run on the simulator.
int benchPump(const QStringList &arguments);
// flood SECONDS [--no-flood]: memory and STT poll regularity while the simulator floods.
int benchFlood(const QStringList &arguments);
// monitor-flood SECONDS [MAX_ROWS] [--no-monitor] [--hide-text]: the longest event-loop stall,
// the thread's own CPU in it and memory at 0.5, 1, 1.5 and 3 times the row bound while the
// simulator floods with the line monitor open (MAX_ROWS default 100,000); SECONDS 0 runs until 3
// times the bound; --no-monitor keeps the rows with the monitor closed, the reference;
// --hide-text hides the text column, to tell Qt's glyph cache from the rows.
int benchMonitorFlood(const QStringList &arguments);
// stt-round-trip RUNS: STT round trip on the simulator's terminal, and over RFC 2217 on
// 127.0.0.1 through ser2net and through the python3-serial example server.
int benchSttRoundTrip(const QStringList &arguments);
// network-stall: the longest stall of the window's event loop while OPEN waits for a server
// that never answers, and while a lost network port is retried against one.
int benchNetworkStall(const QStringList &arguments);
// soak-run CONSOLE [CASES [CHAR_MS]]: CPU per line and memory over the first and the last minute
// of a repeated scripted run with --junit and --transcript, its transcript's and report's
// growth an hour, and a run of 60 cases for reference.
int benchSoakRun(const QStringList &arguments);
// soak-window [SECONDS [LINES]]: the same figures for the window repeating a long send box.
int benchSoakWindow(const QStringList &arguments);
