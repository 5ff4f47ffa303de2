#pragma once
// Files that are on the device when a call returns, not only in the system's cache: after a power
// cut, or a stick pulled right after, each name holds its old file or its new one, whole. The
// platform's own calls for it live here and nowhere else.

#include <QByteArray>
#include <QString>

// Hands what the system holds of the file at `path` to the device.
bool syncFileToDisk(const QString &path, QString *error);
// Hands the folder's entries (new names, renames) to the device.
bool syncFolderToDisk(const QString &folder, QString *error);
// Renames `from` to `to` in one step, replacing a file at `to`.
bool renameReplacing(const QString &from, const QString &to, QString *error);
// Renames `from` to `to`, never over a file that is there.
bool renameToFreeName(const QString &from, const QString &to, QString *error);
// Writes `content` as `path` through a temporary file beside it: synced, renamed over `path`,
// then the folder synced. Readers see the old file or the new one, never a part.
bool writeFileToDisk(const QString &path, const QByteArray &content, QString *error);
// Whether the write that has just failed found no room: a full disk or quota, or a file that may
// grow no further there. Asked right after the failure, before any other call of the system.
bool lastWriteFoundNoRoom();
