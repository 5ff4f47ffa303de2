#pragma once
// What the read-out engine tells its session: one small type per event, each with its own
// fields, in the order the session must carry them out. Progress is no event: the session reads
// it from the engine after each batch.

#include "readout/logentry.h"
#include "readout/overloaded.h"
#include "readout/readoutend.h"

#include <QByteArray>
#include <QString>

#include <variant>
#include <vector>

// Bytes for the loader.
struct SendBytes
{
    QByteArray bytes;
};

// Send the wake-up byte every wire::kKeyingInterval, until KeyingOff.
struct KeyingOn
{
};
struct KeyingOff
{
};

// Drop whatever the port has received so far.
struct DiscardInput
{
};

// The banner came: the box answers.
struct BannerRead
{
    QByteArray text;  // as received up to the end of "MICOM"; only its last 4 kB when longer
};

// The first block came: what names the dump, before any of its data is written, and the blocks
// the read-out asks for, which are final by now.
struct FirstBlock
{
    QByteArray loaderVersion;  // as the banner gave it
    int loaderSizeKb = 0;      // 0: the banner named no family
    QByteArray data;           // the block's data bytes
    int startBlock = 0;
    int blockCount = 0;
};

// A block's data for the dump, written before its sum is checked.
struct WriteData
{
    QByteArray data;
};

// A line of its own about something that looks wrong; the read-out goes on.
struct LogWarning
{
    QString text;
};

// A ReadoutEnd is the last event of a read-out: the session reports it, and the engine asks for
// nothing more.
using ReadoutEvent = std::variant<SendBytes, KeyingOn, KeyingOff, DiscardInput, BannerRead, FirstBlock, WriteData, LogEntry,
                                  LogWarning, ReadoutEnd>;
using ReadoutEvents = std::vector<ReadoutEvent>;
