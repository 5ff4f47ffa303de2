#pragma once

#include <QtGlobal>

// 115200 baud, 8N1: ten bit times per byte.
constexpr qint64 WireBytesPerSecond = 11520;

// How long n bytes occupy the line, in microseconds.
constexpr qint64 wireTimeUs(qint64 bytes)
{
    return bytes * 1000000 / WireBytesPerSecond;
}
