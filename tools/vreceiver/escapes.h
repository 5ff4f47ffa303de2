#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Command-line text may carry control bytes and NUL, written the C way:
// \r \n \t \\ and \xHH. Anything else after a backslash is an error, so a
// typo in a test shows up at once instead of as a strange banner.
std::optional<QByteArray> decodeEscapes(const QString &text, QString *error);

// The reverse, for log lines: bytes outside printable ASCII become escapes.
// Long input is cut after maxBytes and marked with "...".
QString printableBytes(const QByteArray &bytes, int maxBytes = 96);
