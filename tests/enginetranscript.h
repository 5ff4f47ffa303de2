#pragma once
// Drives the read-out engine as the window would and records what it asked for.

#include "readout/readoutengine.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct EngineRecord
{
    QByteArray sent;          // everything sent to the loader, in order
    QString log;              // the log text as the window would show it
    QByteArray dump;          // header and data as the dump file would hold them
    QStringList openedFiles;  // file names asked for
    QStringList events;       // one line per action, for exact transcripts
    int progressMax = -1;
    int progressValue = -1;
    bool keying = false;
    bool portOpen = true;
    std::optional<EndReason> end;
};

class EngineDriver
{
public:
    void start(qint16 startBlock, qint16 blockCount, bool headerOption = false);
    void feed(const QByteArray &chunk);
    void feedAll(const QList<QByteArray> &chunks);
    void stallTimeout();
    void closePort();  // the user clicks Close

    ReadoutEngine engine;
    EngineRecord record;

private:
    void apply(const ReadoutActions &actions);
};

QString escaped(const QByteArray &bytes);
QString endName(EndReason reason);

// What the tool sends after the keying in a complete read-out of `blocks` blocks.
QByteArray completeWire(int startBlock, int blocks);
// The log lines of those blocks, each one line ending in CR LF.
QString blockLog(int startBlock, int blocks);

// The loader's side of a good session, one message per entry, each sent after the tool's
// previous message. `blocks` holds the flash data (1024 bytes per block).
QList<QByteArray> loaderSession(const QByteArray &banner, const QByteArray &flash, bool reqdataSpelling = false);
QByteArray frameFor(const QByteArray &data, int checksumOffset = 0);
QByteArray patternFlash(int blocks, int seed = 1);
QByteArray bannerWithVersion(const QByteArray &version);
