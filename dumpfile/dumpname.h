#pragma once
// Which file a read-out goes to and which KUP loader header goes in front of the data.
// Pure rules: no file is touched here.

#include "readout/loaderfamily.h"

#include <QByteArray>
#include <QString>

inline const QString kPlainDumpName = QStringLiteral("BLdump.bin");

struct DumpRequest
{
    bool headerOption = false;             // the "add the header for the KUP loader" box
    const LoaderFamily *family = nullptr;  // none when the version was not recognised
    QByteArray loaderVersion;              // as read from the banner
    QByteArray firstFrame;                 // at least its first 7 bytes
};

struct DumpPlan
{
    QString fileName;   // without folder; never holds a path separator or a control character
    QByteArray header;  // empty for a plain dump
    QString note;       // a log line when the header was asked for but no name could be formed
    bool isNamed() const { return !header.isEmpty(); }
};

DumpPlan planDump(const DumpRequest &request);

// Name characters that a file name cannot hold become "_"; the header keeps the real bytes.
QString fileNameSafe(const QByteArray &name);
