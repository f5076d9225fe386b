#pragma once

#include <QString>

// The folders an installed console takes its default files from and keeps a user's files in,
// and the few folder and file operations that filling such a folder needs.

// Where the package puts the default working files: share/parlino beside the program's bin
// folder (/usr/share/parlino for /usr/bin/parlino), wherever the tree was installed or unpacked.
// On Windows the program's own folder, the install folder or the unpacked zip.
QString installedDataFolder();

// The per-user working folder: parlino under the user's data folder ($XDG_DATA_HOME when it is
// an absolute path, as the XDG base directory rules say, else ~/.local/share); on Windows
// %LOCALAPPDATA%\PARLINO. The home is $HOME when it is an absolute path, else the account's
// home in the password database. Empty when the user has no home to put it in.
QString userDataFolder();

// The folder the operator's own files are looked for in first: the user's documents folder
// when it exists, else the home folder.
QString documentsFolder();

// True when the current working directory is this folder (links resolved).
bool isWorkingFolder(const QString &folder);

// The folder a file is in, absolute.
QString folderOf(const QString &filePath);

// True when anything is there: a file, a folder, a device, a link (a broken one too).
bool pathExists(const QString &path);

bool folderExists(const QString &path);
bool fileExists(const QString &path);

// Creates the folder and the folders above it. False, with the reason in error, when it fails.
bool makeFolder(const QString &path, QString *error);

// Makes the folder the file goes into, and the folders above it. False, with the reason in
// error, when it fails.
bool makeFolderFor(const QString &filePath, QString *error);

// Copies a file to a path that does not exist yet, making the folder it goes into. Never
// overwrites: an existing target is a failure. False, with the reason in error, when it fails.
bool copyNewFile(const QString &from, const QString &to, QString *error);

// The path made absolute against the current working directory.
QString absolutePath(const QString &path);

// Makes the folder the current working directory. False when it cannot.
bool enterFolder(const QString &path);
