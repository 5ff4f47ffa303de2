#include "dumpfile/dumprecord.h"

#include <QList>

namespace {

const QByteArray kNoHeader = "none";
const QByteArray kFromSizeOption = ", from the size option";

// Bytes from the line: printable ASCII stays, everything else and the backslash are escaped, so
// the record stays one line of text a value and the escapes read back unambiguously.
QByteArray visibleBytes(const QByteArray &bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (code < 0x20 || code >= 0x7F)
            out += "\\x" + QByteArray::number(code, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

QByteArray bytesFromVisible(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text.at(i + 1) : '\0';
        if (text.at(i) != '\\' || !next) {
            out += text.at(i);
        } else if (++i, next == 'x') {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        }
    }
    return out;
}

// Tamrix's own words and names: UTF-8, with no line break inside.
QByteArray visibleText(const QString &text)
{
    QByteArray out = text.toUtf8();
    for (char &c : out) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return out;
}

}  // namespace

QString warningSentence(const QString &logLine)
{
    const QLatin1String prefix("Warning: ");
    return logLine.startsWith(prefix) ? logLine.mid(prefix.size()) : logLine;
}

QByteArray recordText(const DumpRecord &record)
{
    QByteArray text;
    const auto line = [&text](const char *key, const QByteArray &value) { text += key + QByteArray(": ") + value + '\n'; };
    // With its offset from UTC, which a local time alone leaves out: the record may be read
    // elsewhere.
    const QDateTime time = record.time.toOffsetFromUtc(record.time.offsetFromUtc());
    line("time", visibleText(time.toString(Qt::ISODate)));
    line("tamrix version", visibleText(record.tamrixVersion));
    line("port", visibleText(record.port));
    if (!record.label.isEmpty())
        line("label", visibleText(record.label));
    line("banner", visibleBytes(record.banner));
    line("loader version", visibleBytes(record.loaderVersion));
    line("loader size", QByteArray::number(record.loaderSizeKb) + " kB" + (record.sizeFromOption ? kFromSizeOption : ""));
    line("first block", QByteArray::number(record.firstBlock));
    line("block count", QByteArray::number(record.blockCount));
    line("blocks checked", QByteArray::number(record.blocksChecked));
    if (record.failedBlock >= 0)
        line("failed block", QByteArray::number(record.failedBlock));
    line("total sum", visibleText(record.totalSum));
    line("result", visibleText(record.result));
    for (const QString &warning : record.warnings)
        line("warning", visibleText(warningSentence(warning)));
    if (!record.madeFrom.isEmpty())
        line("made from", visibleText(record.madeFrom));
    if (record.header)
        line("header", record.header->isEmpty() ? kNoHeader : visibleBytes(*record.header));
    line("size", QByteArray::number(record.size));
    line("sha256", record.sha256.toHex());
    if (!record.identicalEarlier.isEmpty())
        line("identical earlier dump", visibleText(record.identicalEarlier));
    return text;
}

std::optional<DumpRecord> recordFromText(const QByteArray &text)
{
    DumpRecord record;
    bool hasSize = false;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(": ");
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon);
        const QByteArray value = line.mid(colon + 2);
        const QString words = QString::fromUtf8(value);
        if (key == "time")
            record.time = QDateTime::fromString(words, Qt::ISODate);
        else if (key == "tamrix version")
            record.tamrixVersion = words;
        else if (key == "port")
            record.port = words;
        else if (key == "label")
            record.label = words;
        else if (key == "banner")
            record.banner = bytesFromVisible(value);
        else if (key == "loader version")
            record.loaderVersion = bytesFromVisible(value);
        else if (key == "loader size") {
            record.loaderSizeKb = value.split(' ').constFirst().toInt();
            record.sizeFromOption = value.endsWith(kFromSizeOption);
        } else if (key == "first block")
            record.firstBlock = value.toInt();
        else if (key == "block count")
            record.blockCount = value.toInt();
        else if (key == "blocks checked")
            record.blocksChecked = value.toInt();
        else if (key == "failed block")
            record.failedBlock = value.toInt();
        else if (key == "total sum")
            record.totalSum = words;
        else if (key == "result")
            record.result = words;
        else if (key == "warning")
            record.warnings << words;
        else if (key == "made from")
            record.madeFrom = words;
        else if (key == "header")
            record.header = value == kNoHeader ? QByteArray() : bytesFromVisible(value);
        else if (key == "size")
            record.size = value.toLongLong(&hasSize);
        else if (key == "sha256")
            record.sha256 = QByteArray::fromHex(value);
        else if (key == "identical earlier dump")
            record.identicalEarlier = words;
    }
    if (!hasSize || record.sha256.size() != 32)
        return std::nullopt;
    return record;
}
