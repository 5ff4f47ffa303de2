#include "sessioninput.h"

SessionInput SessionInput::decode(const quint8 *data, size_t size)
{
    SessionInput input;
    if (size < 2)
        return input;
    input.headerOption = data[0] & 1;
    input.window64 = data[0] & 2;
    input.closeBefore = data[1];
    size_t at = 2;
    while (at + 2 <= size) {
        const quint16 length = quint16(data[at] | (data[at + 1] << 8));
        at += 2;
        if (length == kStall) {
            input.reads << QByteArray();
            continue;
        }
        const size_t take = qMin<size_t>(length, size - at);
        input.reads << QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(take));
        at += take;
    }
    return input;
}

QByteArray SessionInput::encode() const
{
    QByteArray out;
    out += char((headerOption ? 1 : 0) | (window64 ? 2 : 0));
    out += char(closeBefore);
    for (const QByteArray &read : reads) {
        const quint16 length = read.isNull() ? kStall : quint16(read.size());
        out += char(length & 0xFF);
        out += char(length >> 8);
        if (!read.isNull())
            out += read;
    }
    return out;
}
