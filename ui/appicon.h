#pragma once

#include <QIcon>

// The program's icon, drawn at 16 x 16 and 32 x 32: a set-top box with a green lamp.
QIcon tamrixIcon();
