#pragma once
// Builds the loader's side of read-outs and what the tool should send and log in answer.

#include <QByteArray>
#include <QList>
#include <QString>

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
