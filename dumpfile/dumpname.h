#pragma once
// Which file a read-out goes to and which KUP loader header goes in front of the data.
// Pure rules: no file is touched here.

#include <QByteArray>
#include <QString>

inline const QByteArray kLoaderHeader128 = "KAON0008B9FFFFFFFFFFFF0000000000t";
inline const QByteArray kLoaderHeader64 = "KAON0008B9FFFFFFFFFFFF0000000000L";
inline const QString kPlainDumpName = QStringLiteral("BLdump.bin");

struct DumpTemplates
{
    QByteArray header128 = kLoaderHeader128;
    QByteArray header64 = kLoaderHeader64;
};

struct DumpRequest
{
    bool headerOption = false;   // the "add the header for the KUP loader" box
    int loaderSizeKb = 0;        // 64, 128, or 0 when the version was not recognised
    QByteArray loaderVersion;    // as read from the banner
    QByteArray firstFrame;       // at least its first 7 bytes
    DumpTemplates templates;
};

struct DumpPlan
{
    QString fileName;     // without folder; never holds a path separator or a control character
    QByteArray header;    // empty for a plain dump
    QString note;         // a log line when the header was asked for but no name could be formed
    bool isNamed() const { return !header.isEmpty(); }
};

DumpPlan planDump(const DumpRequest &request);

// Name characters that a file name cannot hold become "_"; the header keeps the real bytes.
QString fileNameSafe(const QByteArray &name);
