#pragma once

#include <QIcon>

// The program's icon, a set-top box with a green lamp, at each size the install has too.
// It is the artwork the desktop entry uses, embedded in the program.
QIcon tamrixIcon();
