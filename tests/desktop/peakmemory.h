// peakmemory.h: this process's peak resident memory, as Linux counts it.
#pragma once

#include <QFile>

// VmHWM in KiB, or -1 where the system does not tell it.
inline qint64 peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
