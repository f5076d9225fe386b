#pragma once

#include <QStringList>

class QTranslator;

// Where Qt's own translation may be: the folder "translations" beside the program (the
// Windows zip and installer put it there), then Qt's translations folder (Debian's
// qt6-translations-l10n).
QStringList qtTranslationFolders();

// Loads Qt's own Japanese translation from the first of the folders that holds it, so that
// the standard buttons and dialogs (OK, 詳細を表示..., 開く, キャンセル) speak the language of
// the window's captions. Call once the application exists. Returns the translation, owned by
// the application, or nothing when no folder holds it: Qt's English then stays.
QTranslator *installQtJapanese(const QStringList &folders = qtTranslationFolders());
