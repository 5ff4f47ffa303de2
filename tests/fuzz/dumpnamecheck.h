#pragma once
// The dump naming rules against any version text, size and first frame.
//
//   byte 0    bit 0: header option; bits 1-2: loader size 0, 64, 128, or 96 (none known)
//   byte 1    length of the version text (taken modulo 9: the banner gives at most 8)
//   then      the version text, then the first frame's bytes

#include <cstddef>
#include <cstdint>

void checkDumpName(const uint8_t *data, size_t size);
