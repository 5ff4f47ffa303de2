#pragma once
// Room on the disk for a dump, looked at before the box is woken: a read-out that cannot finish
// for want of room is better not begun.

#include <QString>

struct DiskRoom
{
    qint64 needed = 0;  // bytes
    qint64 free = -1;   // bytes; -1: the system does not say
    bool isEnough() const { return free < 0 || free >= needed; }
};

// What a dump of `dumpBytes`, its record and its checksum file take on the disk that holds
// `folder`, each in whole blocks of that disk, and what it has free for this program.
DiskRoom roomFor(const QString &folder, qint64 dumpBytes);

// Whether the disk that holds `folder` has no block left for this program.
bool isDiskFull(const QString &folder);
