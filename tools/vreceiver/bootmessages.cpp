#include "bootmessages.h"

QByteArray defaultBanner(const QByteArray &version)
{
    return "\r\nKAON boot ROM\r\nLoader Version " + version + "\r\nMICOM ready\r\n";
}

QByteArray bootLogNoise(int bytes)
{
    static const char *const lines[] = {
        "POST: DRAM 64 MB ok\r\n",         "flash: id c2 2015, 2048 blocks\r\n", "cpu: 266 MHz, cache on\r\n",
        "boot: checking image 1 of 2\r\n", "boot: image 1 crc ok\r\n",           "tuner: i2c bus 0 probe\r\n",
        "front panel: init\r\n",
    };
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i)
        out += lines[i % (sizeof lines / sizeof *lines)];
    out.truncate(bytes);
    return out;
}

QByteArray binaryNoise(int bytes)
{
    QByteArray out(bytes, Qt::Uninitialized);
    quint32 state = 0x2545F491u;
    for (int i = 0; i < bytes; ++i) {
        // xorshift32
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        out[i] = char(state >> 24);
    }
    return out;
}

int loaderKbForVersion(const QByteArray &version)
{
    const char first = version.isEmpty() ? '\0' : version.at(0);
    return (first == '1' || first == '2' || first == '3') ? 64 : 128;
}
