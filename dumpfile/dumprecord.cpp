#include "dumpfile/dumprecord.h"

namespace {

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
    line("banner", visibleBytes(record.banner));
    line("loader version", visibleBytes(record.loaderVersion));
    line("loader size", QByteArray::number(record.loaderSizeKb) + " kB");
    line("first block", QByteArray::number(record.firstBlock));
    line("block count", QByteArray::number(record.blockCount));
    line("blocks checked", QByteArray::number(record.blocksChecked));
    if (record.failedBlock >= 0)
        line("failed block", QByteArray::number(record.failedBlock));
    line("total sum", visibleText(record.totalSum));
    line("result", visibleText(record.result));
    line("size", QByteArray::number(record.size));
    line("sha256", record.sha256.toHex());
    if (!record.keptEarlier.isEmpty())
        line("kept earlier dump", visibleText(record.keptEarlier));
    if (!record.identicalEarlier.isEmpty())
        line("identical earlier dump", visibleText(record.identicalEarlier));
    return text;
}
