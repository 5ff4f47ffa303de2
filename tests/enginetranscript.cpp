#include "enginetranscript.h"

#include "readout/wiretext.h"

QByteArray completeWire(int startBlock, int blocks)
{
    QByteArray wire = "KDATAack" + wire::fourDigits(startBlock) + wire::fourDigits(blocks) + "REQUEST_DOWNLOAD\r";
    for (int b = startBlock; b < startBlock + blocks; ++b)
        wire += "REQUEST_1024DOWN:" + wire::fourDigits(b) + "\r1024DOWN_SUCCESS:" + wire::fourDigits(b) + "\r";
    return wire + "REQUEST_TOTALCRC\rDOWN_SUCCESS\r";
}

QString blockLog(int startBlock, int blocks)
{
    QString log;
    for (int b = startBlock; b < startBlock + blocks; ++b)
        log += QStringLiteral("REQUEST Block: %1      Transfered successfully Block: %1\r\n").arg(b);
    return log;
}

QByteArray frameFor(const QByteArray &data, int checksumOffset)
{
    const quint8 sum = wire::byteSum(data.constData(), data.size());
    return data + char(quint8(sum + checksumOffset)) + QByteArray(7, '\x55');
}

QByteArray patternFlash(int blocks, int seed)
{
    QByteArray flash(blocks * wire::kBlockDataSize, '\0');
    for (int i = 0; i < flash.size(); ++i)
        flash[i] = char((i * 31 + (i >> 10) * 7 + seed) & 0xFF);
    return flash;
}

QByteArray bannerWithVersion(const QByteArray &version)
{
    return "\r\nKAON boot ROM\r\nLoader Version " + version + "\r\nMICOM ready\r\n";
}

QList<QByteArray> loaderSession(const QByteArray &banner, const QByteArray &flash, bool reqdataSpelling)
{
    QList<QByteArray> messages{banner,
                               "BL_FLASH_END\r\n",
                               "ACK\r\n",
                               "KDATA OK\r\n",
                               reqdataSpelling ? "REQDATA_START_BLOCK\r\n" : "REQUEST_START_BLOCK\r\n",
                               reqdataSpelling ? "REQDATA_BLOCK\r\n" : "REQUEST_BLOCK\r\n",
                               "ack\r\n"};
    quint8 total = 0;
    for (int at = 0; at < flash.size(); at += wire::kBlockDataSize) {
        const QByteArray data = flash.mid(at, wire::kBlockDataSize);
        total += wire::byteSum(data.constData(), data.size());
        messages << frameFor(data);
    }
    messages << QByteArray(1, char(total));
    return messages;
}
