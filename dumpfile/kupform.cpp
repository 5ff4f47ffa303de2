#include "dumpfile/kupform.h"

#include "dumpfile/dumpcheck.h"
#include "dumpfile/dumpname.h"
#include "dumpfile/dumpwriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

bool addKupHeader(const QString &plainPath, DumpWriter *writer, QString *problem)
{
    const DumpCheck check = checkDump(plainPath);
    if (!check.isOk()) {
        *problem = check.problem;
        return false;
    }
    DumpRecord record = check.record;
    const bool plain = record.header ? record.header->isEmpty() : record.size == record.dataSize();
    if (!plain) {
        *problem = QStringLiteral("it has the KUP header already");
        return false;
    }
    QFile file(plainPath);
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.read(record.size) : QByteArray();
    if (QCryptographicHash::hash(data, QCryptographicHash::Sha256) != record.sha256) {
        *problem = QStringLiteral("it changed while it was read");
        return false;
    }
    // What a read-out with the header option had at the first block: the loader the banner
    // named (none when the size option gave the size), and the first block's bytes.
    const DumpPlan plan = planDump({true, record.sizeFromOption ? 0 : record.loaderSizeKb, record.loaderVersion, data});
    if (!plan.isNamed()) {
        *problem = QStringLiteral("no name for the KUP header from this loader");
        return false;
    }
    record.madeFrom = QFileInfo(plainPath).fileName();
    record.identicalEarlier.clear();
    const QString path = QFileInfo(plainPath).dir().filePath(plan.fileName);
    if (writer->open(path, plan.header) && writer->append(data) && writer->commit(record)) {
        writer->close();
        return true;
    }
    *problem = "cannot write " + QFileInfo(writer->errorPath()).fileName() + ": " + writer->errorString();
    // The plain dump is untouched: a half-made copy of it is of no use.
    if (writer->close())
        QFile::remove(writer->partPath());
    return false;
}
