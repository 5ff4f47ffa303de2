#include "session/readoutrequest.h"

#include "readout/loaderfamily.h"
#include "readout/wiretext.h"

QList<int> loaderSizeOptions()
{
    QList<int> sizes;
    for (const LoaderFamily &family : kLoaderFamilies)
        sizes << family.sizeKb;
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

int defaultLoaderSize()
{
    return kDefaultLoaderSizeKb;
}

BlockRangeText blockRangeText(int sizeKb)
{
    const LoaderFamily *family = familyOfSize(sizeKb);
    if (!family)
        return {};
    return {QString::fromLatin1(wire::fourDigits(family->startBlock)), QString::fromLatin1(wire::fourDigits(family->blockCount))};
}
