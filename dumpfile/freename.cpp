#include "dumpfile/freename.h"

#include "dumpfile/diskroom.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>

namespace {

// Another read-out may claim a name between a look at the folder and the claim; the next look
// then finds it in use. Only that many read-outs at once can keep a claim from succeeding.
constexpr int kClaimAttempts = 100;

// What the folder holds of a name, by number (0: the name itself): every file of it, and the dump.
struct NameUse
{
    QMap<int, QStringList> files;  // names of the files of each number
    QMap<int, QString> dumps;      // paths of the dumps themselves
    int highest() const { return files.isEmpty() ? -1 : files.lastKey(); }
};

NameUse useOf(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : '.' + info.suffix();
    const QString stem = info.fileName().chopped(suffix.size());
    // stem.suffix or stem.N.suffix, with anything after it: .part, .sha256, .txt, .part.lock.
    // Windows does not tell BLdump.bin from bldump.bin, so neither does this.
    const QRegularExpression name('^' + QRegularExpression::escape(stem) + "(?:\\.([0-9]{1,9}))?"
                                      + QRegularExpression::escape(suffix) + "(\\..*)?$",
                                  QRegularExpression::CaseInsensitiveOption);
    NameUse use;
    const QDir folder = info.dir();
    for (const QFileInfo &entry : folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = name.match(entry.fileName());
        if (!match.hasMatch())
            continue;
        const int n = match.captured(1).toInt();
        use.files[n] << entry.fileName();
        if (match.captured(2).isEmpty() && entry.isFile())
            use.dumps.insert(n, entry.filePath());
    }
    return use;
}

}  // namespace

QString numberedPath(const QString &path, int n)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = info.fileName().chopped(suffix.isEmpty() ? 0 : suffix.size() + 1);
    return info.dir().filePath(stem + '.' + QString::number(n) + (suffix.isEmpty() ? QString() : '.' + suffix));
}

QStringList dumpsOfName(const QString &path)
{
    return useOf(path).dumps.values();
}

NameClaim claimNewName(const QString &path)
{
    NameClaim claim;
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        const int number = useOf(path).highest() + 1;
        const QString candidate = number ? numberedPath(path, number) : path;
        auto lock = std::make_unique<QLockFile>(candidate + kPartSuffix + QStringLiteral(".lock"));
        // A read-out may take minutes: only a holder that is no longer running makes a claim stale.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError)
                continue;  // another read-out's, and the next look sees it
            claim.error = isDiskFull(QFileInfo(path).absolutePath()) ? QStringLiteral("the disk is full")
                                                                     : QStringLiteral("cannot claim it for this read-out");
            return claim;
        }
        // A claim taken over from a read-out that died, or one that another read-out finished
        // and gave up between the look and the claim: what it left stays, and the next look
        // goes past it.
        if (useOf(path).files.value(number).size() > 1)
            continue;
        claim.path = candidate;
        claim.lock = std::move(lock);
        return claim;
    }
    claim.error = QStringLiteral("other read-outs kept claiming the next name");
    return claim;
}
