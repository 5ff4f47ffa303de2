#pragma once
// What the dump's rules are asked when a read-out's first block has come. Header-only, so that
// the checks that link only the engine and the dump file ask it the same way.

#include "dumpfile/dumpname.h"
#include "readout/readoutevent.h"

// `headerOption` and `fileName` as the read-out was asked for them.
inline DumpRequest dumpRequest(const FirstBlock &block, bool headerOption, const QString &fileName = {})
{
    return {headerOption, block.loaderSizeKb, block.loaderVersion, block.data, fileName};
}
