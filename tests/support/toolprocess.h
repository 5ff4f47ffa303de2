#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

class QProcess;

// Starts one of the test tools and waits, with the event loop running (so a
// serial port in the test keeps working), for the first line it prints on
// stdout. Nothing if it failed to start, exited first or took longer than
// timeoutMs.
std::optional<QByteArray> startAndReadFirstLine(QProcess &process, const QString &program, const QStringList &arguments,
                                                int timeoutMs);

// Ends the process: SIGTERM, then SIGKILL if it does not go within a few seconds.
void endProcess(QProcess &process);
