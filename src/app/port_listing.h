#pragma once

#include <QString>

// The report of --list-ports: the device each of COM1 to COM16 reaches now and whether it
// exists (a network port: whether its server answers), then every serial device of the
// system with the line that maps it to a COM name.
QString portListing();
