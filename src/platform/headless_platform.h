#pragma once

// A run without a window (a scripted run, the port list) draws nothing: Qt's offscreen
// platform stands in for the display, unless QT_QPA_PLATFORM names another. On Windows that
// platform reads fonts from a folder of Qt's own, which an installed console does not ship,
// and says so on every start; it is given the program's folder instead (QT_QPA_FONTDIR,
// unless set), which holds no fonts and needs none, so the console's messages are its own.
void useHeadlessPlatform();
