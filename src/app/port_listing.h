#pragma once

#include <QString>

// The report of --list-ports: the device each of COM1 to COM16 reaches now and whether it
// exists, then every serial device of the system with the line that maps it to a COM name.
QString portListing();
