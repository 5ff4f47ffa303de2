#include "options.h"

#include "bootmessages.h"
#include "escapes.h"

#include <QCommandLineParser>

namespace {

// Collects the first error; later checks become no-ops so parsing can read
// straight through without an early return after every option.
class Reader
{
public:
    explicit Reader(const QCommandLineParser &parser) : m_parser(parser) {}

    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }
    void fail(const QString &why)
    {
        if (m_error.isEmpty())
            m_error = why;
    }

    bool isSet(const char *name) const { return m_parser.isSet(QLatin1String(name)); }
    QString value(const char *name) const { return m_parser.value(QLatin1String(name)); }

    int number(const char *name, int low, int high, int fallback)
    {
        if (!isSet(name))
            return fallback;
        return parseNumber(value(name), name, low, high);
    }

    int parseNumber(const QString &text, const char *name, int low, int high)
    {
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n < low || n > high) {
            fail(QStringLiteral("--%1: \"%2\" is not a number from %3 to %4").arg(QLatin1String(name), text).arg(low).arg(high));
            return low;
        }
        return n;
    }

    // "K:N" → two numbers.
    bool pair(const char *name, const QString &text, int *first, int firstHigh, int *second, int secondLow, int secondHigh)
    {
        const QStringList parts = text.split(QLatin1Char(':'));
        if (parts.size() != 2) {
            fail(QStringLiteral("--%1: expected K:N, got \"%2\"").arg(QLatin1String(name), text));
            return false;
        }
        *first = parseNumber(parts.at(0), name, 0, firstHigh);
        *second = parseNumber(parts.at(1), name, secondLow, secondHigh);
        return !failed();
    }

    QByteArray text(const char *name, const QByteArray &fallback)
    {
        if (!isSet(name))
            return fallback;
        QString why;
        const std::optional<QByteArray> decoded = decodeEscapes(value(name), &why);
        if (!decoded) {
            fail(QStringLiteral("--%1: %2").arg(QLatin1String(name), why));
            return fallback;
        }
        return *decoded;
    }

private:
    const QCommandLineParser &m_parser;
    QString m_error;
};

constexpr int MaxFrames = 2048;
constexpr int MaxMs = 3600 * 1000;
constexpr int MaxNoise = 1 << 20;

void readFaults(Reader &in, LoaderFaults *f)
{
    const int frameBytes = LoaderMachine::FrameSize;
    f->badBlock = in.number("bad-block", 0, MaxFrames - 1, -1);
    f->badTotal = in.isSet("bad-total");
    f->shortBlock = in.number("short", 0, MaxFrames - 1, -1);
    if (in.isSet("extra"))
        in.pair("extra", in.value("extra"), &f->extraBlock, MaxFrames - 1, &f->extraBytes, 1, MaxNoise);
    if (in.isSet("stall"))
        in.pair("stall", in.value("stall"), &f->stallBlock, MaxFrames - 1, &f->stallOffset, 0, frameBytes - 1);

    if (!in.isSet("hangup"))
        return;
    const QString where = in.value("hangup");
    if (where == QLatin1String("banner")) {
        f->hangUp = LoaderFaults::HangUp::Banner;
    } else if (where == QLatin1String("handshake")) {
        f->hangUp = LoaderFaults::HangUp::Handshake;
    } else if (where == QLatin1String("total")) {
        f->hangUp = LoaderFaults::HangUp::Total;
    } else if (where.startsWith(QLatin1String("frame:"))) {
        f->hangUp = LoaderFaults::HangUp::Frame;
        in.pair("hangup", where.mid(6), &f->hangUpBlock, MaxFrames - 1, &f->hangUpOffset, 0, frameBytes);
    } else {
        in.fail(QStringLiteral("--hangup: expected banner, handshake, frame:K:OFF or total, got \"%1\"").arg(where));
    }
}

}  // namespace

ParseResult parseReceiverOptions(const QStringList &arguments, ReceiverOptions *options, QString *message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays a KAON set-top box's boot loader on a pseudo-terminal and prints its path.\n"
                       "Text values understand \\r \\n \\t \\\\ and \\xHH. Frame numbers K count from 0,\n"
                       "the first block asked for in a session."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    auto add = [&](const char *name, const char *valueName, const char *description) {
        parser.addOption(QCommandLineOption(QLatin1String(name), QLatin1String(description),
                                            valueName ? QLatin1String(valueName) : QString()));
    };
    add("version", "TEXT", "Loader version in the banner (default 6.0.2.1).");
    add("size", "KB", "Loader size, 64 or 128 (default: from the version's first character).");
    add("image", "FILE", "Loader region contents (exactly SIZE kB).");
    add("write-image", "FILE", "Write the loader region as served to FILE at start-up.");
    add("bl-name", "TEXT", "The loader starts with \"BL\" and these 5 bytes.");
    add("noise", "N", "N bytes of boot log lines before the banner.");
    add("binary-noise", "N", "N pseudo-random bytes before the banner.");
    add("silent", nullptr, "Never boot (a switched-off box).");
    add("line-gap", "MS", "Pause between lines that must arrive in separate reads (default 50).");
    add("reqdata", nullptr, "Ask REQDATA_START_BLOCK / REQDATA_BLOCK.");
    add("wrong-case", nullptr, "Send \"ack\" where \"ACK\" belongs and the other way round.");
    add("paced", nullptr, "Take the wire time of 115200 baud in both directions.");
    add("bad-block", "K", "Frame K has a wrong checksum byte.");
    add("bad-total", nullptr, "Wrong total byte.");
    add("extra", "K:N", "N extra bytes after frame K.");
    add("short", "K", "Frame K is 1031 bytes, then silence.");
    add("stall", "K:OFF", "Frame K stops after OFF bytes, then silence.");
    add("hangup", "WHERE", "Close the line and exit: banner, handshake, frame:K:OFF or total.");
    add("faults-once", nullptr, "Faults only in the first session.");
    add("record", "FILE", "Append every byte received to FILE.");
    add("timings", "FILE",
        "Append to FILE, in microseconds, \"reply N\" for the time from a frame's last byte to the first byte of the answer, and "
        "\"block-phase N\" for the line's time from the first block request to DOWN_SUCCESS.");

    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return ParseResult::Error;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText();
        return ParseResult::Help;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return ParseResult::Error;
    }

    Reader in(parser);
    ReceiverOptions o;
    const QByteArray version = in.text("version", "6.0.2.1");
    o.loaderKb = in.isSet("size") ? in.number("size", 64, 128, 128) : loaderKbForVersion(version);
    if (o.loaderKb != 64 && o.loaderKb != 128)
        in.fail(QStringLiteral("--size: 64 or 128"));
    o.imageFile = in.value("image");
    o.writeImageFile = in.value("write-image");
    if (in.isSet("bl-name"))
        o.loaderName = in.text("bl-name", QByteArray());
    o.recordFile = in.value("record");
    o.timingsFile = in.value("timings");
    o.paced = in.isSet("paced");

    LoaderConfig &c = o.loader;
    c.banner = defaultBanner(version);
    c.noise = binaryNoise(in.number("binary-noise", 0, MaxNoise, 0)) + bootLogNoise(in.number("noise", 0, MaxNoise, 0));
    c.silent = in.isSet("silent");
    c.lineGapMs = in.number("line-gap", 0, MaxMs, 50);
    c.reqdata = in.isSet("reqdata");
    c.wrongCase = in.isSet("wrong-case");
    c.faultsOnce = in.isSet("faults-once");
    readFaults(in, &c.faults);

    if (in.failed()) {
        *message = in.error();
        return ParseResult::Error;
    }
    *options = o;
    return ParseResult::Ok;
}
