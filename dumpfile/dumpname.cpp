#include "dumpfile/dumpname.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

const QByteArray kNamePrefix = "BL_";
const QByteArray kNameSuffix = "_conv.bin";
// Room for a number and the endings of the files beside a dump within 255 characters.
constexpr int kLongestFileName = 200;

// Characters at 1-based positions; a position past the end gives nothing.
QByteArray charsAt(const QByteArray &text, std::initializer_list<int> positions)
{
    QByteArray out;
    for (int position : positions) {
        if (position <= text.size())
            out += text.at(position - 1);
    }
    return out;
}

// The version up to the end of its line, without the blanks before it: a banner may put its
// line end anywhere in the 8 characters taken.
QByteArray versionToLineEnd(const QByteArray &version)
{
    const auto lineEnd = std::find_if(version.cbegin(), version.cend(), [](char c) { return c == '\r' || c == '\n'; });
    QByteArray line = version.left(lineEnd - version.cbegin());
    while (line.endsWith(' '))
        line.chop(1);
    return line;
}

// Name characters from a 7- or 5-character version, for a loader whose first block does not
// carry its name.
bool nameFromVersion(const QByteArray &version, QByteArray *nameChars, int *headerNameLength)
{
    if (version.size() == 7) {
        *nameChars = charsAt(version, {1, 3, 5}) + version.mid(6, 2);
        *headerNameLength = 8;
        return true;
    }
    if (version.size() == 5) {
        *nameChars = charsAt(version, {1, 3, 5});
        *headerNameLength = 6;
        return true;
    }
    return false;
}

DumpPlan named(const QByteArray &nameChars, const QByteArray &headerTemplate, int headerNameLength)
{
    const QByteArray name = kNamePrefix + nameChars + kNameSuffix;
    return {fileNameSafe(name), headerTemplate + name.left(headerNameLength) + 'x', {}};
}

}  // namespace

QString fileNameSafe(const QByteArray &name)
{
    QByteArray safe = name;
    for (char &c : safe) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F || QByteArrayLiteral("/\\:*?\"<>|").contains(c))
            c = '_';
    }
    return QString::fromLatin1(safe);
}

namespace {

// The named dump's plan; none when the rules find no name.
std::optional<DumpPlan> namedPlan(const DumpRequest &request)
{
    for (const DumpNaming &naming : kDumpNamings) {
        if (naming.loaderSizeKb != request.loaderSizeKb)
            continue;
        const QByteArray &header = naming.headerTemplate;
        switch (naming.rule) {
        case DumpNaming::Rule::VersionOnly:
            return named(charsAt(request.loaderVersion, {1, 3, 5}), header, 6);
        case DumpNaming::Rule::FirstBlockOrVersion: {
            const QByteArray &block = request.firstBlock;
            if (block.size() >= 7 && block.startsWith("BL"))
                return named(block.mid(2, 5), header, 8);
            QByteArray nameChars;
            int headerNameLength = 0;
            // The usual banner leaves a CR behind the version ("6.0.2.1" CR), a short version its
            // whole line end and more ("5.1.3" CR LF "M"): up to the line end the rules apply again.
            if (nameFromVersion(request.loaderVersion, &nameChars, &headerNameLength)
                || nameFromVersion(versionToLineEnd(request.loaderVersion), &nameChars, &headerNameLength))
                return named(nameChars, header, headerNameLength);
            break;
        }
        }
    }
    return std::nullopt;
}

}  // namespace

DumpPlan planDump(const DumpRequest &request)
{
    // The plain dump, unless the header was asked for and the rules can name the dump.
    const std::optional<DumpPlan> named = request.headerOption ? namedPlan(request) : std::nullopt;
    DumpPlan plan = named.value_or(DumpPlan{kPlainDumpName, {}, {}});
    if (!request.fileName.isEmpty())
        plan.fileName = request.fileName;
    if (request.headerOption && !plan.isNamed())
        plan.note = "No name for the KUP header from this loader, saving " + plan.fileName + " without header.";
    return plan;
}

QString fileNameProblem(const QString &name)
{
    static const QStringList companions{QStringLiteral(".part"), QStringLiteral(".sha256"), QStringLiteral(".txt"),
                                        QStringLiteral(".lock"), QStringLiteral(".tmp")};
    // The names Windows keeps for its devices, with any extension: NUL.bin is the device NUL.
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("that is no file name");
    if (name.contains('/') || name.contains('\\'))
        return QStringLiteral("that is a path, not a file name; the folder is given apart");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral(":*?\"<>|").contains(c))
            return QStringLiteral("a file name cannot hold the characters : * ? \" < > | or control characters");
    }
    if (name.endsWith('.') || name.endsWith(' '))
        return QStringLiteral("Windows drops a dot or a blank at the end of a file name");
    if (device.match(name).hasMatch())
        return QStringLiteral("Windows keeps that name for a device");
    for (const QString &ending : companions) {
        if (name.endsWith(ending, Qt::CaseInsensitive))
            return "the files beside a dump end in " + ending;
    }
    if (name.size() > kLongestFileName)
        return QStringLiteral("it is longer than %1 characters").arg(kLongestFileName);
    return {};
}
