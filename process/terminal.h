#pragma once
// The program's standard streams: whether one is a terminal, and text written the way its
// reader reads it.

#include <QString>

#include <cstdio>

bool isTerminal(std::FILE *stream);

// Writes `text` as the stream's reader reads it: in the system's encoding, and on a Windows
// console as the console's own text.
void writeText(std::FILE *stream, const QString &text);
