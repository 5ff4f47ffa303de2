#include "readout/readoutend.h"

#include "readout/overloaded.h"
#include "readout/wiretext.h"

static_assert(std::variant_size_v<ReadoutEnd::How> == int(EndReason::Stopped) + 1, "one EndReason for each reason");

namespace {

// What the read-out waited for, as the loader's commands name it: "BLOCK: 1922", or the total.
QString awaitedText(const std::optional<int> &block)
{
    return block ? "BLOCK: " + QString::fromLatin1(wire::fourDigits(*block)) : QStringLiteral("TOTALCRC");
}

}  // namespace

QString endLogText(const ReadoutEnd &end)
{
    return std::visit(
        overloaded{
            [](const ReadoutEnd::Complete &) -> QString { return QStringLiteral("Transfer succesfull!"); },
            [](const ReadoutEnd::BlockSumWrong &e) -> QString {
                return "CRC Error while receiving BLOCK: " + QString::fromLatin1(wire::fourDigits(e.block));
            },
            [](const ReadoutEnd::TotalSumWrong &e) -> QString {
                return QStringLiteral("CRC Error in total sum: received %1, computed %2").arg(e.received).arg(e.computed);
            },
            [](const ReadoutEnd::Stalled &e) -> QString {
                return QStringLiteral("Timeout while receiving %1 (no data for %2 s, %3 of %4 bytes)")
                    .arg(awaitedText(e.block))
                    .arg(e.quiet.count())
                    .arg(e.got)
                    .arg(e.want);
            },
            [](const ReadoutEnd::TooManyBytes &e) -> QString {
                return QStringLiteral("Too many bytes while receiving %1 (%2 of %3 bytes)")
                    .arg(awaitedText(e.block))
                    .arg(e.got)
                    .arg(e.want);
            },
            [](const ReadoutEnd::LineLost &e) -> QString {
                return "Lost serial port " + e.port + ": the device is gone (" + e.cause + ")";
            },
            [](const ReadoutEnd::DumpFileError &e) -> QString { return "Cannot write the dump file " + e.path + ": " + e.cause; },
            [](const ReadoutEnd::Stopped &) -> QString { return QString(); },
        },
        end.how);
}

LogEntry endLogEntry(const ReadoutEnd &end)
{
    const QString text = endLogText(end);
    return end.is<ReadoutEnd::BlockSumWrong>() ? LogEntry::closing(text) : LogEntry::line(text);
}
