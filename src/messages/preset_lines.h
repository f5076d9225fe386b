#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// The preset messages, "MSG" + line + CR LF for each of the presets file's first five lines.
// The file is read once at start-up; its text is decoded when a preset is first asked for,
// so that the window comes up without loading the code page's converter.
class PresetLines
{
public:
    using Entries = std::array<QString, 5>;

    // Keeps the file's bytes; a file that cannot be read leaves every entry empty.
    void read(const QString &path);
    const QString &operator[](size_t index) const { return entries()[index]; }
    bool operator==(const Entries &other) const { return entries() == other; }

private:
    const Entries &entries() const;

    QString path_;
    // The bytes not yet decoded; decoding happens once, in a const look-up.
    mutable std::optional<QByteArray> bytes_;
    mutable Entries entries_;
};
