#include "readout/wiretext.h"

namespace wire {

QByteArray fourDigits(int number)
{
    const QByteArray digits = QByteArray::number(qAbs(qint64(number))).rightJustified(4, '0');
    return number < 0 ? '-' + digits : digits;
}

quint8 byteSum(const char *data, qsizetype size)
{
    unsigned sum = 0;
    for (qsizetype i = 0; i < size; ++i)
        sum += static_cast<unsigned char>(data[i]);
    return static_cast<quint8>(sum & 0xFF);
}

}  // namespace wire
