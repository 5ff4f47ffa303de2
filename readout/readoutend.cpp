#include "readout/readoutend.h"

QString endLogText(const ReadoutEnd &end)
{
    switch (end.reason) {
    case EndReason::Complete:
        return QStringLiteral("Transfer succesfull!");
    case EndReason::BlockSumWrong:
        return "CRC Error while receiving BLOCK: " + end.subject;
    case EndReason::TotalSumWrong:
        return QStringLiteral("CRC Error in total sum: received %1, computed %2").arg(end.got).arg(end.want);
    case EndReason::Stalled:
        return QStringLiteral("Timeout while receiving %1 (no data for %2 s, %3 of %4 bytes)")
            .arg(end.subject)
            .arg(end.quietSeconds)
            .arg(end.got)
            .arg(end.want);
    case EndReason::TooManyBytes:
        return QStringLiteral("Too many bytes while receiving %1 (%2 of %3 bytes)").arg(end.subject).arg(end.got).arg(end.want);
    case EndReason::LineLost:
        return "Lost serial port " + end.subject + ": the device is gone (" + end.cause + ")";
    case EndReason::DumpFileError:
        return "Cannot write the dump file " + end.subject + ": " + end.cause;
    case EndReason::Stopped:
        break;
    }
    return {};
}

LogEntry endLogEntry(const ReadoutEnd &end)
{
    return {endLogText(end), end.reason == EndReason::BlockSumWrong};
}
