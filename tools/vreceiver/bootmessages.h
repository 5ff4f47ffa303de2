#pragma once

#include <QByteArray>

// What the box prints while it comes up.

QByteArray defaultBanner(const QByteArray &version);

// N bytes of plausible boot log lines (printable, CR LF line ends; the last
// line may be cut short). None of them contains a word the tool waits for.
QByteArray bootLogNoise(int bytes);

// N bytes of line garbage, as a UART shows while the power comes up. Seeded,
// so every run sends the same bytes.
QByteArray binaryNoise(int bytes);

// Loader size in kB from the version's first character: 1, 2, 3 → 64; else 128.
int loaderKbForVersion(const QByteArray &version);
