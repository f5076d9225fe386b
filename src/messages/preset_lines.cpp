#include "messages/preset_lines.h"

#include "platform/console_output.h"
#include "text/text_file.h"

#include <utility>

void PresetLines::read(const QString &path)
{
    path_ = path;
    bytes_ = readFileBytes(path);
    entries_ = {};
}

const PresetLines::Entries &PresetLines::entries() const
{
    if (!bytes_)
        return entries_;
    // Lines after the fifth are not decoded. A line that is no text in the file's encoding
    // leaves its entry empty rather than sending garbage to the module.
    QStringList whyNot;
    const auto lines
        = textFileLines(*std::exchange(bytes_, std::nullopt), qsizetype(entries_.size()), &whyNot);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const std::optional<QString> &line = lines.at(i))
            entries_[size_t(i)] = QStringLiteral("MSG") + *line + QStringLiteral("\r\n");
        else
            reportToConsole(QStringLiteral("%1: %2行目に%3; preset %2 left empty")
                                .arg(path_, QString::number(i + 1), whyNot.value(i)));
    }
    return entries_;
}
