#pragma once

#include "platform/port_inventory.h"

// The tooltip of port number n's entry: its device path and, when it is among the known
// devices, their description; "(not present)" when nothing is there.
QString portTooltip(int port, const QList<SystemPort> &known);
