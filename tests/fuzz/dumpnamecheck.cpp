#include "dumpnamecheck.h"

#include "dumpfile/dumpname.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool holds, const char *rule)
{
    if (!holds) {
        std::fprintf(stderr, "dump naming rule broken: %s\n", rule);
        std::abort();
    }
}

}  // namespace

void checkDumpName(const uint8_t *data, size_t size)
{
    if (size < 2)
        return;
    static constexpr int kSizes[] = {0, 64, 128, 96};
    DumpRequest request;
    request.headerOption = data[0] & 1;
    request.loaderSizeKb = kSizes[(data[0] >> 1) & 3];
    const size_t versionLength = qMin<size_t>(data[1] % 9, size - 2);
    request.loaderVersion = QByteArray(reinterpret_cast<const char *>(data + 2), qsizetype(versionLength));
    request.firstBlock = QByteArray(reinterpret_cast<const char *>(data + 2 + versionLength),
                                    qsizetype(size - 2 - versionLength));

    const DumpPlan plan = planDump(request);
    require(plan.fileName.endsWith(QStringLiteral(".bin")), "a dump file ends in .bin");
    for (QChar c : plan.fileName)
        require(c.unicode() >= 0x20 && c.unicode() != 0x7F && c != '/' && c != '\\' && c != ':',
                "no separator or control character in a file name");
    if (!plan.isNamed()) {
        require(plan.fileName == kPlainDumpName, "a dump without header is BLdump.bin");
        require(plan.note.isEmpty() == !request.headerOption, "a header asked for and not given is logged");
        return;
    }
    require(request.headerOption, "a header only when asked for");
    require(plan.header.size() == 40 || plan.header.size() == 42, "a header is 40 or 42 bytes");
    const auto naming = std::find_if(kDumpNamings.begin(), kDumpNamings.end(),
                                     [&](const DumpNaming &n) { return n.loaderSizeKb == request.loaderSizeKb; });
    require(naming != kDumpNamings.end(), "a named dump only for a size with a naming");
    require(plan.header.startsWith(naming->headerTemplate + "BL_") && plan.header.endsWith('x'),
            "a header is template, BL_, name, x");
    require(plan.fileName.startsWith(QStringLiteral("BL_")) && plan.fileName.endsWith(QStringLiteral("_conv.bin")),
            "a named dump is BL_ name _conv.bin");
}
