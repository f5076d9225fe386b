#include "platform/runtime_folder_warning.h"

#include <QtGlobal>

namespace {
QtMessageHandler previousHandler = nullptr;

void dropRuntimeFolderWarning(QtMsgType type,
                              const QMessageLogContext &context,
                              const QString &message)
{
    if (type == QtWarningMsg && isRuntimeFolderWarning(message))
        return;
    previousHandler(type, context, message);
}
} // namespace

bool isRuntimeFolderWarning(const QString &message)
{
    return message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"));
}

void quietRuntimeFolderWarning()
{
    // Qt hands back its default handler when no other was installed.
    if (!previousHandler)
        previousHandler = qInstallMessageHandler(dropRuntimeFolderWarning);
}
