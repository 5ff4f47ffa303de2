#include "dumpfile/dumpname.h"

#include <algorithm>

namespace {

const QByteArray kNamePrefix = "BL_";
const QByteArray kNameSuffix = "_conv.bin";

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

DumpPlan planDump(const DumpRequest &request)
{
    const DumpPlan plain{kPlainDumpName, {}, {}};
    if (!request.headerOption)
        return plain;

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

    DumpPlan fallback = plain;
    fallback.note = QStringLiteral("No name for the KUP header from this loader, saving BLdump.bin without header.");
    return fallback;
}
