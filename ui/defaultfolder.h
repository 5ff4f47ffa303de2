#pragma once
// Where the window saves dumps until the user says otherwise.

#include <QString>

// The folder, with the system's separators and one at its end. `programFolder` is the folder of
// the running program: a copy of Tamrix that lives in a folder of its own, such as the portable
// one on a USB stick, saves beside itself; an installed one saves where the user keeps files.
QString defaultFolder(const QString &programFolder);
