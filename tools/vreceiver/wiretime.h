#pragma once

#include <QtGlobal>

// 115200 baud, 8N1: ten bit times per byte.
constexpr qint64 WireBytesPerSecond = 11520;

// How long n bytes occupy the line, in microseconds.
constexpr qint64 wireTimeUs(qint64 bytes)
{
    return bytes * 1000000 / WireBytesPerSecond;
}

// Qt timers count whole milliseconds. Waking on the nearest millisecond and counting anything
// due within half a millisecond as due keeps the schedule within +-0.5 ms on average, instead
// of always running late by up to a millisecond per wait.
constexpr qint64 TimerSlackUs = 500;

constexpr int timerMsUntil(qint64 dueUs, qint64 nowUs)
{
    return dueUs <= nowUs ? 0 : int((dueUs - nowUs + TimerSlackUs) / 1000);
}
