// The port settings file remembers the port box's text from the last successful OPEN.
#include "platform/app_paths.h"
#include "platform/working_files.h"
#include "text/text_file.h"
#include "ui/form1.h"

void Form1::Get_Com_dat()
{
    // A missing or empty file leaves the port box at its design-time "COM1".
    const std::optional<QString> text = readTextFile(appFilePath(settingsFileName));
    if (!text)
        return;
    if (const std::optional<QString> field = firstField(*text))
        ui.Combo1->setEditText(*field);
}

bool Form1::Put_Com_dat(QString *error)
{
    const QString path = appFilePath(settingsFileName);
    QString why;
    if (writeTextLine(path, ui.Combo1->currentText(), &why))
        return true;
    if (error)
        *error = path + u'\n' + why;
    return false;
}
