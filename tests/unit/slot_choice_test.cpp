// Slot names to the record and play commands.
#include "commands/slot_choice.h"

#include <gtest/gtest.h>

namespace {

TEST(SlotChoice, EveryNameMapsToTwoDigitCommands)
{
    for (int slot = 1; slot <= 32; ++slot) {
        const std::optional<SlotCommands> commands
            = slotCommandsOf(QStringLiteral("ROM%1").arg(slot));
        ASSERT_TRUE(commands.has_value()) << slot;
        EXPECT_EQ(commands->record, QStringLiteral("EEP%1").arg(slot, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(commands->play, QStringLiteral("SEL%1").arg(slot, 2, 10, QLatin1Char('0')));
    }
    const struct
    {
        const char *name;
        const char *record;
        const char *play;
    } telling[] = {{"ROM1", "EEP01", "SEL01"},
                   {"ROM9", "EEP09", "SEL09"},
                   {"ROM10", "EEP10", "SEL10"},
                   {"ROM32", "EEP32", "SEL32"}};
    for (const auto &row : telling) {
        const auto commands = slotCommandsOf(QString::fromLatin1(row.name));
        ASSERT_TRUE(commands.has_value());
        EXPECT_EQ(commands->record, QString::fromLatin1(row.record));
        EXPECT_EQ(commands->play, QString::fromLatin1(row.play));
    }
}

TEST(SlotChoice, OtherTextsHaveNoCommands)
{
    for (const char *name : {"", "rom1", "Rom1", "ROM01", "ROM0", "ROM33", "ROM1 ", " ROM1", "ROM"})
        EXPECT_FALSE(slotCommandsOf(QString::fromLatin1(name)).has_value()) << name;
}

} // namespace
