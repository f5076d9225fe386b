// Start-up: prepares the window before it is first shown, in a fixed order in which each
// step may rely on the ones before it. A file that is missing leaves what it would have
// given at its design-time value; the window always comes up.
#include "ui/form1.h"

void Form1::Form_Load()
{
    for (int port = 1; port <= 16; ++port)
        ui.Combo1->addItem(QStringLiteral("COM%1").arg(port));
    // Adding items to an editable box with no current entry would pick the first one;
    // the box shows its design-time text until the settings file says otherwise.
    ui.Combo1->setCurrentIndex(-1);
    ui.Combo1->setEditText(QStringLiteral("COM1"));
    Get_Com_dat();
    Combo1_Click();
    Get_Msg_dat();
    for (int slot = 1; slot <= 32; ++slot)
        ui.Combo2->addItem(QStringLiteral("ROM%1").arg(slot));
    ui.Combo2->setCurrentText(QStringLiteral("ROM1"));
    Combo2_Click();
    showIdleIcon();
}
