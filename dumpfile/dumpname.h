#pragma once
// Which file a read-out goes to and which KUP loader header goes in front of the data.
// Pure rules: no file is touched here.

#include <QByteArray>
#include <QList>
#include <QString>

inline const QString kPlainDumpName = QStringLiteral("BLdump.bin");

// The KUP loader's header templates; they differ only in their last character.
inline const QByteArray LoaderHeader64 = "KAON0008B9FFFFFFFFFFFF0000000000L";
inline const QByteArray LoaderHeader128 = "KAON0008B9FFFFFFFFFFFF0000000000t";
// The longest header: a template, the name's first 8 characters and "x".
inline const qsizetype kLongestHeaderSize = LoaderHeader128.size() + 8 + 1;

// How the named dump of a loader of each size is named, one row a size: "BL_" + name + "_conv.bin",
// with the KUP header, the template and the name's first characters, before the data.
struct DumpNaming
{
    enum class Rule {
        // Characters 1, 3 and 5 of the version, whatever its length.
        VersionOnly,
        // "BL" and five bytes at the start of the first block name it; else a 7-character version
        // gives characters 1, 3, 5, 7, and a 5-character version characters 1, 3, 5.
        FirstBlockOrVersion,
    };

    int loaderSizeKb = 0;
    QByteArray headerTemplate;
    Rule rule = Rule::VersionOnly;
};

inline const QList<DumpNaming> kDumpNamings{
    {64, LoaderHeader64, DumpNaming::Rule::VersionOnly},
    {128, LoaderHeader128, DumpNaming::Rule::FirstBlockOrVersion},
};

// What the rules look at when the first block has come.
struct DumpRequest
{
    bool headerOption = false;  // the "add the header for the KUP loader" box
    int loaderSizeKb = 0;       // as the banner named it; 0 when it named no family
    QByteArray loaderVersion;   // as read from the banner
    QByteArray firstBlock;      // its first 7 bytes may name the dump
    QString fileName{};         // the user's name for the file, in place of the rules' one; empty: none
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

// Why the user's `name` cannot name a dump, in words for the user; empty when it can. It must be a
// name alone, without a folder, that Linux and Windows both hold as it is, and not end as the
// files beside a dump do.
QString fileNameProblem(const QString &name);
