#include "cli/dumpfiles.h"

#include "cli/readcommand.h"
#include "process/terminal.h"
#include "session/saveddumps.h"

namespace {

void writeLines(std::FILE *stream, const QString &prefix, const QStringList &lines)
{
    for (const QString &line : lines)
        writeText(stream, prefix + line + '\n');
}

}  // namespace

int verifyDumps(const QStringList &files)
{
    int status = kExitComplete;
    for (const QString &file : files) {
        const SavedDumpOutcome outcome = verifySavedDump(file);
        writeLines(stdout, {}, outcome.lines);
        if (!outcome.ok)
            status = kExitFailed;
    }
    return status;
}

int addKupHeaders(const QStringList &files)
{
    int status = kExitComplete;
    for (const QString &file : files) {
        const SavedDumpOutcome outcome = addKupHeaderTo(file);
        if (outcome.ok) {
            writeLines(stdout, {}, outcome.lines);
        } else {
            writeLines(stderr, QStringLiteral("tamrix-read: "), outcome.lines);
            status = kExitFailed;
        }
    }
    return status;
}
