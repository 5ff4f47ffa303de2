#pragma once
// The input format of the read-out fuzzer and its seed corpus: a whole session as the port
// would deliver it.
//
//   byte 0    bit 0: header option ticked; bit 1: window set to 64 kB (1984/0064), else 128 kB
//   byte 1    index of the event before which the user clicks Close (255: never)
//   then      events: a 16-bit little-endian length and that many bytes, one read of the port;
//             the length 0xFFFF is the stall timer firing instead

#include <QByteArray>
#include <QList>

struct SessionInput
{
    static constexpr quint16 kStall = 0xFFFF;
    static constexpr quint8 kNeverClose = 255;

    bool headerOption = false;
    bool window64 = false;
    quint8 closeBefore = kNeverClose;
    QList<QByteArray> reads;  // a null QByteArray stands for the stall timer

    static SessionInput decode(const quint8 *data, size_t size);
    QByteArray encode() const;
};
