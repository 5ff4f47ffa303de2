#include "session/saveddumps.h"

#include "dumpfile/dumpcheck.h"
#include "dumpfile/dumpwriter.h"
#include "dumpfile/kupform.h"
#include "session/dumpreport.h"

SavedDumpOutcome verifySavedDump(const QString &path)
{
    const DumpCheck check = checkDump(path);
    return {check.isOk(), {path + (check.isOk() ? QStringLiteral(": OK") : ": FAILED (" + check.problem + ')')}};
}

SavedDumpOutcome addKupHeaderTo(const QString &path)
{
    DumpWriter writer;
    QString problem;
    if (!addKupHeader(path, &writer, &problem))
        return {false, {path + ": " + problem}};
    SavedDumpOutcome made{true, {savedText(writer)}};
    if (const QString identical = identicalText(writer); !identical.isEmpty())
        made.lines << identical;
    return made;
}
