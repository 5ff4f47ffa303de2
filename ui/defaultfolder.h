#pragma once
// Where the window saves dumps until the user says otherwise.

#include <QString>

// The folder, with the system's separators and one at its end. On Windows, `programFolder`, the
// folder of the running program, decides: a copy of Tamrix that lives in a folder of its own,
// such as the portable one on a USB stick, saves beside itself; an installed one saves where the
// user keeps files. On Linux every copy saves into a folder of the user's home, made by the first
// read-out that goes there.
QString defaultFolder(const QString &programFolder);
