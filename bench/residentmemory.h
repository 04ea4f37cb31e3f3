#pragma once

// The memory a process holds in RAM, as the benchmarks and the soak tests
// report it.

#include <QByteArray>
#include <QFile>
#include <QString>

// The resident set of process `pid` in KiB (VmRSS); -1 when it cannot be read.
inline qint64 residentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
