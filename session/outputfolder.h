#pragma once
// The folder a dump goes to: what the folder text means, and whether a dump can be written there.

#include <QString>

// The folder text as typed, with what a user of the system expects to be replaced: "~" at its
// start for the home folder on Linux, "%NAME%" for an environment variable on Windows. A blank
// text means `defaultFolder`.
QString outputFolder(const QString &text, const QString &defaultFolder);

// `fileName` inside `folder`, with exactly one separator between them whether or not the folder
// text ends with one. A folder text that ends with a separator gives folder + name unchanged.
QString pathInFolder(const QString &folder, const QString &fileName);

// Empty when a dump can be written into `folder`; otherwise the reason, in words for the user.
QString folderProblem(const QString &folder);
// Empty when the disk of `folder` has room for a dump of `dumpBytes`, its record and its checksum
// file; otherwise how much it needs and has, in words for the user.
QString roomProblem(const QString &folder, qint64 dumpBytes);

// The label that a folder gives the dumps read into it, as the window has no box for one: its own
// name, such as SN1004 for ~/Tamrix/SN1004. The default folder gives none.
QString folderLabel(const QString &folder, const QString &defaultFolder);

// How the log names a file: absolute, with the system's separators.
QString shownPath(const QString &path);
