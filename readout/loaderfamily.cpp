#include "readout/loaderfamily.h"

const LoaderFamily *familyOfVersion(const QByteArray &version)
{
    for (const LoaderFamily &family : kLoaderFamilies) {
        if (!version.isEmpty() && family.versionDigits.contains(version.front()))
            return &family;
    }
    return nullptr;
}

const LoaderFamily *familyOfSize(int sizeKb)
{
    for (const LoaderFamily &family : kLoaderFamilies) {
        if (family.sizeKb == sizeKb)
            return &family;
    }
    return nullptr;
}
