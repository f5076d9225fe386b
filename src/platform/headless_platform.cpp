#include "platform/headless_platform.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileInfo>
#include <qt_windows.h>

#include <vector>
#endif

void useHeadlessPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
    if (!qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR"))
        return;
    std::vector<wchar_t> path(32768);
    const DWORD size = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (size == 0 || size >= path.size())
        return;
    const QString folder = QFileInfo(QString::fromWCharArray(path.data(), int(size))).path();
    qputenv("QT_QPA_FONTDIR", QDir::toNativeSeparators(folder).toLocal8Bit());
#endif
}
