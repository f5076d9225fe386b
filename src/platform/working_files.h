#pragma once

#include <QString>

#include <array>

// The files the window keeps in its working folder, named as appFilePath() takes them.
inline const QString settingsFileName = QStringLiteral("\\parlino_ini.txt");
inline const QString presetsFileName = QStringLiteral("\\parlino_msg_ini.txt");
inline const QString idleIconName = QStringLiteral("\\icon\\MISC13.ICO");
inline const QString speakingIconName = QStringLiteral("\\icon\\MISC15.ICO");

// The ones that ship as defaults; the settings file is written by the first OPEN.
inline const std::array<QString, 3> defaultWorkingFiles
    = {presetsFileName, idleIconName, speakingIconName};
