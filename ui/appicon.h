#pragma once

#include <QIcon>

// The program's icon, a set-top box with a green lamp, at 16, 32, 48, 128 and 256 px.
// It is the artwork the desktop entry uses, embedded in the program.
QIcon tamrixIcon();
