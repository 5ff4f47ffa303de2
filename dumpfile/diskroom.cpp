#include "dumpfile/diskroom.h"

#include "dumpfile/dumprecord.h"

#include <QStorageInfo>

namespace {

// A checksum file: 64 hex digits, two blanks, a file name of at most 255 bytes, a line end.
constexpr qint64 kChecksumFileBytesAtMost = 64 + 2 + 255 + 1;

qint64 inBlocks(qint64 bytes, qint64 blockSize)
{
    return blockSize > 0 ? (bytes + blockSize - 1) / blockSize * blockSize : bytes;
}

}  // namespace

DiskRoom roomFor(const QString &folder, qint64 dumpBytes)
{
    const QStorageInfo disk(folder);
    const qint64 block = disk.isValid() ? disk.blockSize() : 0;
    DiskRoom room;
    room.needed = inBlocks(dumpBytes, block) + inBlocks(kRecordBytesAtMost, block) + inBlocks(kChecksumFileBytesAtMost, block);
    if (disk.isValid())
        room.free = disk.bytesAvailable();
    return room;
}

bool isDiskFull(const QString &folder)
{
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.bytesAvailable() < qMax<qint64>(disk.blockSize(), 1);
}
