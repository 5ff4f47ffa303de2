#include "readout/readoutend.h"

QString endLogText(const ReadoutEnd &end)
{
    const QString lineEnd = QStringLiteral("\r\n");
    switch (end.reason) {
    case EndReason::Complete:
        return "Transfer succesfull!" + lineEnd;
    case EndReason::BlockSumWrong:
        return "CRC Error while receiving BLOCK: " + end.subject;
    case EndReason::TotalSumWrong:
        return QStringLiteral("CRC Error in total sum: received %1, computed %2").arg(end.got).arg(end.want) + lineEnd;
    case EndReason::Stalled:
        return QStringLiteral("Timeout while receiving %1 (no data for %2 s, %3 of %4 bytes)")
                   .arg(end.subject)
                   .arg(end.quietSeconds)
                   .arg(end.got)
                   .arg(end.want)
            + lineEnd;
    case EndReason::TooManyBytes:
        return QStringLiteral("Too many bytes while receiving %1 (%2 of %3 bytes)").arg(end.subject).arg(end.got).arg(end.want)
            + lineEnd;
    case EndReason::LineLost:
        return "Lost serial port " + end.subject + ": the device is gone (" + end.cause + ")" + lineEnd;
    case EndReason::DumpFileError:
        return "Cannot write the dump file " + end.subject + ": " + end.cause + lineEnd;
    case EndReason::Stopped:
        break;
    }
    return {};
}
