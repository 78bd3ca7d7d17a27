#include "SerialPorts.h"

#include <QSerialPortInfo>

#include <algorithm>

#include "Text.h"

namespace qern {

QStringList availableSerialPorts()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        names.append(port.portName());
    names.removeDuplicates();
    // Not by the language setting's collation: that would number the ports differently
    // from one setting to another.
    std::sort(names.begin(), names.end(), precedesInNameOrder);
    if (names.size() > 4)
        names.resize(4);
    return names;
}

} // namespace qern
