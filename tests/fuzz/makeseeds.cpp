// Writes the fuzzers' seed corpus: real sessions, good ones and one of each failure kind.
// Usage: fuzz_makeseeds CORPUS_DIR   (writes CORPUS_DIR/readout and CORPUS_DIR/dumpname)

#include "../enginetranscript.h"
#include "sessioninput.h"

#include <QDir>
#include <QFile>

namespace {

QString g_dir;

void save(const QString &subdir, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(g_dir + '/' + subdir);
    QFile file(g_dir + '/' + subdir + '/' + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

SessionInput session(QList<QByteArray> reads, bool window64 = true, bool header = false, quint8 closeBefore = SessionInput::kNeverClose)
{
    return SessionInput{header, window64, closeBefore, std::move(reads)};
}

// Reads of at most 60000 bytes, as a port would deliver a long burst.
QList<QByteArray> inReads(const QByteArray &bytes)
{
    QList<QByteArray> reads;
    for (qsizetype at = 0; at < bytes.size(); at += 60000)
        reads << bytes.mid(at, 60000);
    return reads;
}

void saveReadoutSeeds()
{
    const QByteArray flash64 = patternFlash(64, 3);
    const QList<QByteArray> good64 = loaderSession(bannerWithVersion("2.0.4 "), flash64);
    const auto save64 = [](const QString &name, const SessionInput &input) { save("readout", name, input.encode()); };

    save64("good-128k", session(loaderSession(bannerWithVersion("6.0.2.1"), patternFlash(128, 5)), false));
    save64("good-64k", session(good64));
    save64("good-64k-reqdata-header", session(loaderSession(bannerWithVersion("2.0.4 "), flash64, true), true, true));

    QByteArray named = patternFlash(128, 7);
    named.replace(0, 7, "BL61234");
    save64("good-128k-named-by-block", session(loaderSession(bannerWithVersion("6.0.2.1"), named), false, true));
    QByteArray hostile = flash64;
    hostile.replace(0, 7, QByteArray("BL../\0\x1f", 7));
    save64("good-hostile-name-unrecognised-version", session(loaderSession(bannerWithVersion("4.0.1"), hostile), true, true));

    QList<QByteArray> reads = good64;
    reads[8] = frameFor(flash64.mid(1024, 1024), 1);
    save64("bad-block-sum", session(reads.mid(0, 9)));
    reads = good64;
    reads.last()[0] = char(reads.last()[0] + 1);
    save64("bad-total", session(reads));
    reads = good64;
    reads[9] += "extra";
    save64("extra-bytes", session(reads));
    reads = good64.mid(0, 7);
    reads << good64[7].left(1031) << QByteArray();
    save64("short-frame-stall", session(reads));
    reads = good64.mid(0, good64.size() - 1);
    reads << QByteArray();
    save64("total-stall", session(reads));
    reads = good64;
    reads[2] = "ack\r\n";
    save64("wrong-case", session(reads, true, false, 5));
    reads = good64;
    reads[0] = "MICOM boot 6.0.2.1\r\n";
    save64("good-micom-without-version-header", session(reads, true, true));
    reads = good64;
    reads[0] += "BL_FLASH_END\r\n";
    reads.insert(1, "ACK\r\n");  // dropped with the banner's read: the tool still waits for BL_FLASH_END
    save64("good-flash-end-with-banner", session(reads));

    QByteArray noise;
    for (int i = 0; i < 200000; ++i)
        noise += char((i * 7919) % 251);
    reads = inReads(noise) + good64;
    save64("good-after-binary-noise", session(reads));

    reads.clear();
    for (int m = 0; m < 7; ++m) {
        for (char c : good64[m])
            reads << QByteArray(1, c);
    }
    reads << good64.mid(7);
    save64("good-split-byte-by-byte", session(reads));

    for (int closeAt : {0, 1, 3, 6, 7, 20, 71})
        save64(QStringLiteral("close-before-read-%1").arg(closeAt), session(good64, true, false, quint8(closeAt)));
}

void saveDumpNameSeeds()
{
    const auto seed = [](const QString &name, bool header, int sizeIndex, const QByteArray &version, const QByteArray &frame) {
        save("dumpname", name, QByteArray(1, char((header ? 1 : 0) | (sizeIndex << 1))) + char(version.size()) + version + frame);
    };
    seed("plain", false, 2, "6.0.2.1\r", "BL61234");
    seed("128k-named-by-block", true, 2, "6.0.2.1\r", "BL61234");
    seed("128k-7-characters", true, 2, "6.0.2.1", "\xff\xff\xff\xff\xff\xff\xff");
    seed("128k-usual-banner", true, 2, "6.0.2.1\r", "xxxxxxx");
    seed("128k-5-characters", true, 2, "5.1.3", "xxxxxxx");
    seed("64k", true, 1, "2.0.4", "xxxxxxx");
    seed("64k-short", true, 1, "2.1", "xxxxxxx");
    seed("unrecognised", true, 0, "4.0.0.1\r", "BL61234");
    seed("hostile", true, 2, "", QByteArray("BL../\0\x1f", 7));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);
    saveReadoutSeeds();
    saveDumpNameSeeds();
    return 0;
}
