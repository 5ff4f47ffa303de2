#include "enginetranscript.h"

#include "readout/wiretext.h"

QString endName(EndReason reason)
{
    static const char *const names[] = {"complete", "block sum wrong", "total sum wrong", "stalled",
                                        "too many bytes", "line lost", "dump file error", "stopped"};
    return QString::fromLatin1(names[int(reason)]);
}

QString escaped(const QByteArray &bytes)
{
    QString out;
    for (char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\r')
            out += QStringLiteral("\\r");
        else if (c == '\n')
            out += QStringLiteral("\\n");
        else if (code < 0x20 || code >= 0x7F)
            out += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(c);
    }
    return out;
}

void EngineDriver::start(qint16 startBlock, qint16 blockCount, bool headerOption)
{
    engine.setRequest(startBlock, blockCount);
    record.progressMax = blockCount;
    record.progressValue = 0;
    apply(engine.start(headerOption, DumpTemplates{}));
}

void EngineDriver::feed(const QByteArray &chunk)
{
    apply(engine.feed(chunk));
}

void EngineDriver::feedAll(const QList<QByteArray> &chunks)
{
    for (const QByteArray &chunk : chunks)
        feed(chunk);
}

void EngineDriver::stallTimeout()
{
    apply(engine.stallTimeout());
}

void EngineDriver::closePort()
{
    record.portOpen = false;
    engine.stop();
}

void EngineDriver::apply(const ReadoutActions &actions)
{
    using Kind = ReadoutAction::Kind;
    for (const ReadoutAction &a : actions) {
        if (!record.portOpen) {
            record.events << QStringLiteral("AFTER CLOSE");
            continue;
        }
        switch (a.kind) {
        case Kind::Send:
            record.sent += a.bytes;
            record.events << "send " + escaped(a.bytes);
            break;
        case Kind::AppendLog:
            record.log += a.text;
            record.events << "log " + escaped(a.text.toLatin1());
            break;
        case Kind::ReplaceLog:
            record.log = a.text;
            record.events << "log= " + escaped(a.text.toLatin1());
            break;
        case Kind::ProgressMax:
            record.progressMax = a.value;
            record.events << QStringLiteral("max %1").arg(a.value);
            break;
        case Kind::ProgressValue:
            record.progressValue = a.value;
            record.events << QStringLiteral("value %1").arg(a.value);
            break;
        case Kind::KeyingOn:
        case Kind::KeyingOff:
            record.keying = a.kind == Kind::KeyingOn;
            record.events << (record.keying ? "keying on" : "keying off");
            break;
        case Kind::DiscardInput:
            record.events << QStringLiteral("discard");
            break;
        case Kind::OpenDump:
            record.openedFiles << a.text;
            record.dump = a.bytes;
            record.events << "open " + a.text + " header " + escaped(a.bytes);
            break;
        case Kind::WriteDump:
            record.dump += a.bytes;
            record.events << QStringLiteral("write %1").arg(a.bytes.size());
            break;
        case Kind::End:
            record.log += endLogText(a.end);
            record.end = a.end.reason;
            record.events << "end " + endName(a.end.reason);
            // A failed block leaves the port open.
            if (a.end.reason != EndReason::BlockSumWrong)
                closePort();
            break;
        }
    }
}

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
    QList<QByteArray> messages{banner, "BL_FLASH_END\r\n", "ACK\r\n", "KDATA OK\r\n",
                               reqdataSpelling ? "REQDATA_START_BLOCK\r\n" : "REQUEST_START_BLOCK\r\n",
                               reqdataSpelling ? "REQDATA_BLOCK\r\n" : "REQUEST_BLOCK\r\n", "ack\r\n"};
    quint8 total = 0;
    for (int at = 0; at < flash.size(); at += wire::kBlockDataSize) {
        const QByteArray data = flash.mid(at, wire::kBlockDataSize);
        total += wire::byteSum(data.constData(), data.size());
        messages << frameFor(data);
    }
    messages << QByteArray(1, char(total));
    return messages;
}
