// libFuzzer target: whole read-out sessions with whatever the loader might send.
#include "enginecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    EngineCheck().run(SessionInput::decode(data, size));
    return 0;
}
