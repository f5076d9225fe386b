#pragma once

#include <QString>

// The report of --list-ports: where the user's ports file is, the device each of COM1 to COM16
// reaches now (devices new since the last look are numbered first), its description and whether it
// exists (a network port: whether its server answers), then every serial device of the system with
// the COM name it is reached as.
QString portListing();
