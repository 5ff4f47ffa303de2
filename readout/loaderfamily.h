#pragma once
// The loader families Tamrix knows, one row each: how a banner names the family, which flash
// blocks it occupies, the KUP header in front of a named dump, and which characters name that
// dump. Adding a family is one row here, a transcript that reads it, and a size option in the
// window if it should offer one.

#include <QByteArray>
#include <QList>

struct LoaderFamily
{
    // Which characters form a named dump's name, "BL_" + name + "_conv.bin".
    enum class NameRule {
        // Characters 1, 3 and 5 of the version, whatever its length.
        VersionOnly,
        // "BL" and five bytes at the start of the first block name it; else a 7-character version
        // gives characters 1, 3, 5, 7, and a 5-character version characters 1, 3, 5.
        FirstBlockOrVersion,
    };

    QByteArray versionDigits;  // a version beginning with one of these names the family
    int sizeKb = 0;
    int startBlock = 0;  // the first 1 kB block of the flash it occupies
    int blockCount = 0;
    QByteArray headerTemplate;  // the KUP header before the name
    NameRule nameRule = NameRule::VersionOnly;
};

// The KUP loader's header templates; they differ only in their last character.
inline const QByteArray LoaderHeader64 = "KAON0008B9FFFFFFFFFFFF0000000000L";
inline const QByteArray LoaderHeader128 = "KAON0008B9FFFFFFFFFFFF0000000000t";

inline const QList<LoaderFamily> kLoaderFamilies{
    {"123", 64, 1984, 64, LoaderHeader64, LoaderFamily::NameRule::VersionOnly},
    {"56", 128, 1920, 128, LoaderHeader128, LoaderFamily::NameRule::FirstBlockOrVersion},
};

// The size option a window starts with, and tamrix-read without --size.
inline constexpr int kDefaultLoaderSizeKb = 128;

// The family a banner's version names, or none.
const LoaderFamily *familyOfVersion(const QByteArray &version);
// The family of a size option, or none.
const LoaderFamily *familyOfSize(int sizeKb);
