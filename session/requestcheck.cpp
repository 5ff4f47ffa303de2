#include "session/requestcheck.h"

#include "dumpfile/dumpname.h"
#include "readout/loaderfamily.h"
#include "readout/wiretext.h"
#include "session/outputfolder.h"

#include <QDir>

namespace {

// The largest dump a read-out may write: a banner may name a larger loader than the size option.
qint64 largestDump()
{
    int blocks = 0;
    for (const LoaderFamily &family : kLoaderFamilies)
        blocks = qMax(blocks, family.blockCount);
    return kLongestHeaderSize + qint64(blocks) * wire::kBlockDataSize;
}

}  // namespace

RequestCheck checkRequest(const ReadoutRequest &request)
{
    using Refused = StartOutcome::Refused;
    if (request.portText.trimmed().isEmpty())
        return {{Refused::Request, QStringLiteral("Choose the serial port of the receiver in the list, or type its name."),
                 QStringLiteral("No serial port")}};
    const LoaderFamily *family = familyOfSize(request.sizeKb ? request.sizeKb : kDefaultLoaderSizeKb);
    if (!family)
        return {
            {Refused::Request, QStringLiteral("There is no %1 kB loader.").arg(request.sizeKb), QStringLiteral("Loader size")}};
    if (const QString problem = request.fileName.isEmpty() ? QString() : fileNameProblem(request.fileName); !problem.isEmpty())
        return {{Refused::Request, "Cannot save the dump as " + request.fileName + ": " + problem + '.',
                 QStringLiteral("Dump file name")}};
    const QString folder = outputFolder(request.folderText, request.defaultFolder);
    // The default folder is made by the first read-out that goes there; any other must exist.
    if (QDir::cleanPath(folder) == QDir::cleanPath(request.defaultFolder))
        QDir().mkpath(folder);
    // Found out before the box is woken, not at the first block.
    QString problem = folderProblem(folder);
    if (problem.isEmpty())
        problem = roomProblem(folder, largestDump());
    if (!problem.isEmpty()) {
        const QString shown = QDir::toNativeSeparators(folder);
        return {{Refused::Request, "Cannot save the dump in " + shown + ": " + problem + '.', "Error with the folder " + shown}};
    }
    return {{}, family, folder};
}
