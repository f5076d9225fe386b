#include "app/user_folder.h"

#include "platform/console_output.h"
#include "platform/data_folders.h"
#include "platform/working_files.h"

#include <algorithm>

namespace {

// The file of that name in the folder.
QString inFolder(const QString &folder, const QString &name)
{
    return folder + QString(name).replace(u'\\', u'/');
}

bool holdsDefaults(const QString &folder)
{
    return std::any_of(defaultWorkingFiles.begin(),
                       defaultWorkingFiles.end(),
                       [&](const QString &name) { return fileExists(inFolder(folder, name)); });
}

bool holdsWorkingFiles(const QString &folder)
{
    return fileExists(inFolder(folder, settingsFileName)) || holdsDefaults(folder);
}

// Makes the per-user folder and copies in the defaults that are installed. Reports what
// fails and goes on: a folder without presets or icons still works.
void fillNewFolder(const QString &folder, const QString &defaults)
{
    QString error;
    if (!makeFolder(folder, &error)) {
        reportToConsole(error);
        return;
    }
    for (const QString &name : defaultWorkingFiles) {
        const QString source = inFolder(defaults, name);
        if (fileExists(source) && !copyNewFile(source, inFolder(folder, name), &error))
            reportToConsole(error);
    }
}

} // namespace

void chooseWorkingFolder(CommandLine &line)
{
    const QString defaults = installedDataFolder();
    // A program folder without defaults is a build tree, not an installed console (on Windows
    // the program's folder always exists, so the files decide).
    if (!line.userFolder && (holdsWorkingFiles(QStringLiteral(".")) || !holdsDefaults(defaults)))
        return;
    const QString folder = userDataFolder();
    if (folder.isEmpty()) {
        reportToConsole(QStringLiteral("no home folder for the per-user working folder; "
                                       "working in the current folder"));
        return;
    }
    // A terminal run may have made the folder for the ports file alone: it is still new.
    if (!folderExists(folder) || !holdsWorkingFiles(folder))
        fillNewFolder(folder, defaults);
    if (!line.transcript.isEmpty())
        line.transcript = absolutePath(line.transcript);
    if (!enterFolder(folder)) {
        reportToConsole(
            QStringLiteral("cannot work in %1; working in the current folder").arg(folder));
        return;
    }
    if (!line.userFolder)
        reportToConsole(
            QStringLiteral("this folder holds none of the console's files; working in %1")
                .arg(folder));
}
