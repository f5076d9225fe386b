// The memory slot box: picking a slot only sets the record and play commands.
#include "commands/slot_choice.h"

#include "ui/form1.h"

std::optional<SlotCommands> slotCommandsOf(const QString &slotName)
{
    for (int slot = 1; slot <= 32; ++slot) {
        if (slotName == QStringLiteral("ROM%1").arg(slot)) {
            const QString number = QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0'));
            return SlotCommands{QStringLiteral("EEP") + number, QStringLiteral("SEL") + number};
        }
    }
    return std::nullopt;
}

void Form1::Combo2_Click()
{
    if (const std::optional<SlotCommands> commands = slotCommandsOf(ui.Combo2->currentText())) {
        Eep_cmd = commands->record;
        Sel_cmd = commands->play;
    }
}
