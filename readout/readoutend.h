#pragma once
// How a read-out ended, as a value the code can test, and the one place that puts it into the
// words of the log.

#include "readout/logentry.h"

#include <QMetaType>
#include <QString>

#include <chrono>

enum class EndReason {
    Complete,  // every block sum and the total matched
    BlockSumWrong,
    TotalSumWrong,
    Stalled,  // a frame or the total byte stopped coming
    TooManyBytes,
    LineLost,
    DumpFileError,
    Stopped,  // closed by the user, or by the program around it
};

struct ReadoutEnd
{
    EndReason reason = EndReason::Stopped;
    QString subject;          // what was awaited ("BLOCK: 1922", "TOTALCRC"), the port, or the file
    qint64 got = 0;           // bytes received, or the total sum received
    qint64 want = 0;          // bytes expected, or the total sum computed
    QString cause;            // the system's own words
    qint64 quietSeconds = 0;  // a stall: how long nothing came

    // A failed block leaves port and dump file open until the user closes them.
    bool waitsForClose() const { return reason == EndReason::BlockSumWrong; }
    // Every end but a complete read-out and a stop by the user.
    bool failed() const { return reason != EndReason::Complete && reason != EndReason::Stopped; }

    static ReadoutEnd complete() { return of(EndReason::Complete); }
    static ReadoutEnd blockSumWrong(const QString &block) { return of(EndReason::BlockSumWrong, block); }
    static ReadoutEnd totalSumWrong(int received, int computed) { return of(EndReason::TotalSumWrong, {}, received, computed); }
    // `quiet`: how long nothing came, in seconds.
    static ReadoutEnd stalled(const QString &awaited, qint64 got, qint64 want, qint64 quiet)
    {
        ReadoutEnd end = of(EndReason::Stalled, awaited, got, want);
        end.quietSeconds = quiet;
        return end;
    }
    static ReadoutEnd tooManyBytes(const QString &awaited, qint64 got, qint64 want)
    {
        return of(EndReason::TooManyBytes, awaited, got, want);
    }
    static ReadoutEnd lineLost(const QString &port, const QString &cause) { return of(EndReason::LineLost, port, 0, 0, cause); }
    static ReadoutEnd dumpFileError(const QString &path, const QString &cause)
    {
        return of(EndReason::DumpFileError, path, 0, 0, cause);
    }
    static ReadoutEnd stopped() { return of(EndReason::Stopped); }

private:
    static ReadoutEnd of(EndReason reason, const QString &subject = {}, qint64 got = 0, qint64 want = 0,
                         const QString &cause = {})
    {
        ReadoutEnd end;
        end.reason = reason;
        end.subject = subject;
        end.got = got;
        end.want = want;
        end.cause = cause;
        return end;
    }
};

// The words of an end, as the log and standard error show them. Empty for Stopped.
QString endLogText(const ReadoutEnd &end);
// Those words as a log entry: a failed block's are its result and continue its request's line.
LogEntry endLogEntry(const ReadoutEnd &end);

// Carried by queued signals: Qt 5 knows only the types declared to it.
Q_DECLARE_METATYPE(ReadoutEnd)
