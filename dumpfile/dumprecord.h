#pragma once
// The record beside a dump, <name>.txt: when and how it was read and what the file holds, so
// that a folder of dumps still tells its boxes apart a year later. Plain text, one "key: value"
// a line, for a person to read and a script to parse, and for Tamrix to check the dump against.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

inline const QString kRecordSuffix = QStringLiteral(".txt");

// A record's size at most: a banner of 4 kB with every byte escaped, a label, the warnings and
// the rest.
inline constexpr qint64 kRecordBytesAtMost = 4 * 4096 + 8192;

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
    QString label;      // the box's label as the user gave it; empty: none
    QByteArray banner;  // as received: the file shows its control characters as \r, \n, \xHH
    QByteArray loaderVersion;
    int loaderSizeKb = 0;         // the size read, 1 kB a block
    bool sizeFromOption = false;  // the banner named no family: the size option gave the size
    int firstBlock = 0;
    int blockCount = 0;
    int blocksChecked = 0;  // blocks in the file whose sums matched
    int failedBlock = -1;   // a block whose sum was wrong, in the file after them
    QString totalSum;       // "matched", "did not match", "not checked"
    QString result;         // "complete", "complete with warnings", or the words the read-out ended with
    QStringList warnings;   // what looked wrong, although the dump was saved

    // What the dump file knows.
    QString madeFrom;                  // the file name of the dump this one was made from
    std::optional<QByteArray> header;  // before the data; empty: none; unset: an earlier Tamrix's record
    qint64 size = 0;
    QByteArray sha256;
    QString identicalEarlier;  // the file name of an earlier dump that holds the same bytes

    // A dump whose sums all matched.
    bool isComplete() const { return result.startsWith(QLatin1String("complete")); }
    // The bytes of flash in the file: 1024 for each block checked.
    qint64 dataSize() const { return qint64(blocksChecked) * 1024; }
};

QByteArray recordText(const DumpRecord &record);
// A warning as the record and the closing summary say it: the log's line without its
// "Warning: ", which only the log needs to stand out.
QString warningSentence(const QString &logLine);
// The record `text` holds; none when it is not a record of a dump (no size or SHA-256).
std::optional<DumpRecord> recordFromText(const QByteArray &text);
