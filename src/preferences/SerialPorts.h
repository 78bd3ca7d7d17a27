#pragma once
// The serial ports a GPS receiver can use, as the system lists them. Ports are never
// opened here: opening one would toggle the lines of a connected receiver and drop a
// GPS link that is open.

#include <QStringList>

namespace qern {

// Port names ("ttyS0", "ttyUSB0") sorted by name, digits compared as numbers; at most
// four: port number N (1 to 4) is the N-th.
QStringList availableSerialPorts();

} // namespace qern
