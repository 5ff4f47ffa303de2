#pragma once
// How a read-out ended, as a value the code can test: one small type per reason, each with
// fields of its own. And the one place that puts it into the words of the log.

#include "readout/logentry.h"

#include <QMetaType>
#include <QString>

#include <chrono>
#include <optional>
#include <variant>

// The reasons in the order of ReadoutEnd::How, for switches and tests.
enum class EndReason { Complete, BlockSumWrong, TotalSumWrong, Stalled, TooManyBytes, LineLost, DumpFileError, Stopped };

struct ReadoutEnd
{
    // Every block sum and the total matched.
    struct Complete
    {
    };
    // The block's data is in the dump too.
    struct BlockSumWrong
    {
        int block = 0;
    };
    struct TotalSumWrong
    {
        int received = 0;
        int computed = 0;
    };
    // A frame or the total byte stopped coming: nothing came for `quiet`. `block`: the block
    // whose frame was awaited, none for the total byte; `got` of the `want` bytes had come.
    struct Stalled
    {
        std::optional<int> block;
        int got = 0;
        int want = 0;
        std::chrono::seconds quiet{0};
    };
    struct TooManyBytes
    {
        std::optional<int> block;
        int got = 0;
        int want = 0;
    };
    // The device went away: the port as messages name it, and the system's words.
    struct LineLost
    {
        QString port;
        QString cause;
    };
    struct DumpFileError
    {
        QString path;
        QString cause;
    };
    // Closed by the user, or by the program around it.
    struct Stopped
    {
    };
    using How = std::variant<Complete, BlockSumWrong, TotalSumWrong, Stalled, TooManyBytes, LineLost, DumpFileError, Stopped>;

    How how = Stopped{};

    EndReason reason() const { return EndReason(how.index()); }
    template <class Reason>
    bool is() const
    {
        return std::holds_alternative<Reason>(how);
    }
    template <class Reason>
    const Reason *as() const
    {
        return std::get_if<Reason>(&how);
    }
    // Every end but a complete read-out and a stop by the user.
    bool failed() const { return !is<Complete>() && !is<Stopped>(); }
};

// The words of an end, as the log and standard error show them. Empty for Stopped.
QString endLogText(const ReadoutEnd &end);
// Those words as a log entry: a failed block's are its result and end its request's line.
LogEntry endLogEntry(const ReadoutEnd &end);

// Carried by queued signals: Qt 5 knows only the types declared to it.
Q_DECLARE_METATYPE(ReadoutEnd)
