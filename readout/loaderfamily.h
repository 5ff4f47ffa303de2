#pragma once
// The loader families Tamrix knows, one row each: how a banner names the family and which flash
// blocks it occupies. Adding a family is one row here, one in the dump file's naming table
// (dumpfile/dumpname.h) if its size is new, a transcript that reads it, and a size option in the
// window if it should offer one.

#include <QByteArray>
#include <QList>

struct LoaderFamily
{
    QByteArray versionDigits;  // a version beginning with one of these names the family
    int sizeKb = 0;
    int startBlock = 0;  // the first 1 kB block of the flash it occupies
    int blockCount = 0;
};

inline const QList<LoaderFamily> kLoaderFamilies{
    {"123", 64, 1984, 64},
    {"56", 128, 1920, 128},
};

// The size option a window starts with, and tamrix-read without --size.
inline constexpr int kDefaultLoaderSizeKb = 128;

// The family a banner's version names, or none.
const LoaderFamily *familyOfVersion(const QByteArray &version);
// The family of a size option, or none.
const LoaderFamily *familyOfSize(int sizeKb);
