#include "cli/dumpfiles.h"

#include "cli/readcommand.h"
#include "dumpfile/dumpcheck.h"
#include "dumpfile/dumpwriter.h"
#include "dumpfile/kupform.h"
#include "process/terminal.h"
#include "session/dumpreport.h"

int verifyDumps(const QStringList &files)
{
    int status = kExitComplete;
    for (const QString &file : files) {
        const DumpCheck check = checkDump(file);
        writeText(stdout, file + (check.isOk() ? QStringLiteral(": OK\n") : ": FAILED (" + check.problem + ")\n"));
        if (!check.isOk())
            status = kExitFailed;
    }
    return status;
}

int addKupHeaders(const QStringList &files)
{
    int status = kExitComplete;
    for (const QString &file : files) {
        DumpWriter writer;
        QString problem;
        if (!addKupHeader(file, &writer, &problem)) {
            writeText(stderr, "tamrix-read: " + file + ": " + problem + '\n');
            status = kExitFailed;
            continue;
        }
        writeText(stdout, savedText(writer) + '\n');
        if (const QString identical = identicalText(writer); !identical.isEmpty())
            writeText(stdout, identical + '\n');
    }
    return status;
}
