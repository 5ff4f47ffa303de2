// libFuzzer target: dump names and headers from any version, size and first frame.
#include "dumpnamecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkDumpName(data, size);
    return 0;
}
