#include "SerialPorts.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

namespace qern {

QStringList availableSerialPorts()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        names.append(port.portName());
    names.removeDuplicates();
    // ttyS2 before ttyS10.
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(),
              [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    if (names.size() > 4)
        names.resize(4);
    return names;
}

} // namespace qern
