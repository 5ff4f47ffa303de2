#pragma once
// The record beside a dump, <name>.txt: when and how it was read and what the file holds, so
// that a folder of dumps still tells its boxes apart a year later. Plain text, one "key: value"
// a line, for a person to read and a script to parse.

#include <QByteArray>
#include <QDateTime>
#include <QString>

inline const QString kRecordSuffix = QStringLiteral(".txt");

inline QString recordPath(const QString &dumpPath)
{
    return dumpPath + kRecordSuffix;
}

struct DumpRecord
{
    // What the read-out knows.
    QDateTime time;  // when it ended
    QString tamrixVersion;
    QString port;
    QByteArray banner;  // as received: the file shows its control characters as \r, \n, \xHH
    QByteArray loaderVersion;
    int loaderSizeKb = 0;  // 0: the banner named no family
    int firstBlock = 0;
    int blockCount = 0;
    int blocksChecked = 0;  // blocks in the file whose sums matched
    int failedBlock = -1;   // a block whose sum was wrong, in the file after them
    QString totalSum;       // "matched", "did not match", "not checked"
    QString result;         // "complete", or the words the read-out ended with

    // What the dump file knows.
    qint64 size = 0;
    QByteArray sha256;
    QString keptEarlier;       // the file name the earlier dump of this name was kept under
    QString identicalEarlier;  // the file name of an earlier dump that holds the same bytes
};

QByteArray recordText(const DumpRecord &record);
