#pragma once

#include "transport/port_inventory.h"

#include <QMap>

// The device's maker and model as the system describes it ("FTDI FT232R USB UART"), when it
// is among the known devices; empty otherwise.
QString deviceDescription(const QString &path, const QList<SystemPort> &known);

// The tooltip of port number n's entry: the device it reaches (numbered gives the numbers of
// the ports file) and, when it is among the known devices, their description; "(not present)"
// when nothing is there.
QString portTooltip(int port, const QList<SystemPort> &known, const QMap<int, QString> &numbered);
QString portTooltip(int port, const QList<SystemPort> &known);

// The port box's own tooltip: the device the name it shows reaches and whether that port is
// open (openPort: the number of the open port, 0 when none).
QString portBoxTooltip(const QString &shown,
                       int openPort,
                       const QList<SystemPort> &known,
                       const QMap<int, QString> &numbered);
