// The read-out protocol, driven without a port. The scenarios are transcripts in
// tests/transcripts/*.md, whose README describes them; each is replayed whole, with every read
// cut in two at every offset (frames at some) and fed byte by byte, and with the port closed
// after every step. The engine must do the same every time.

#include "enginetranscript.h"

#include "readout/readoutengine.h"
#include "readout/wiretext.h"
#include "session/dumprequest.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

// Bytes as a JSON string, one character per byte.
QString quoted(const QByteArray &bytes)
{
    const QByteArray json = QJsonDocument(QJsonArray{QString::fromLatin1(bytes)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

// The bytes of a JSON string; a "|" in it marks where the awaited token ends. Empty if malformed.
QByteArray textRead(const QString &quotedText, qsizetype *tokenEnd)
{
    QString text = QJsonDocument::fromJson(('[' + quotedText + ']').toUtf8()).array().at(0).toString();
    *tokenEnd = text.indexOf('|');
    return text.remove('|').toLatin1();
}

// `frame <k | fill HH> [sum+N] [bytes N]` and `total [+N] [bytes N]`; `sum` adds up the data.
// Block k of the made-up flash has sums that differ from block to block and run past 0x7F.
QByteArray binaryRead(const QStringList &words, int *sum)
{
    const bool total = words[0] == "total";
    QByteArray data;
    int offset = 0, size = -1;
    for (int i = 1; i < words.size(); ++i) {
        if (words[i] == "fill")
            data = QByteArray(wire::kBlockDataSize, char(words[++i].toInt(nullptr, 16)));
        else if (words[i] == "bytes")
            size = words[++i].toInt();
        else if (words[i].contains('+'))
            offset = words[i].section('+', 1).toInt();
        else
            for (quint32 k = words[i].toUInt(); data.size() < wire::kBlockDataSize;)
                data += char((k = k * 1103515245u + 12345u) >> 24);
    }
    const QByteArray read = total ? QByteArray(1, char(*sum + offset)) : frameFor(data, offset);
    *sum += wire::byteSum(data.constData(), data.size());
    return size < 0 ? read : read.leftJustified(size, total ? read[0] : 'x', true);
}

// One line per event (two for a first block whose dump gets no name); `read` is the read being
// fed, to tell whether a write carries its data. A first block shows as the dump's rules name it,
// with the window's header box, as the session does.
QStringList event(const ReadoutEvent &e, const QByteArray &read, bool headerOption)
{
    static const QStringList ends{"complete",       "block sum wrong", "total sum wrong", "stalled",
                                  "too many bytes", "line lost",       "dump file error", "stopped"};
    const auto said = [](const QString &text) { return quoted(text.toLatin1()); };
    return std::visit(
        overloaded{
            [](const SendBytes &send) { return QStringList{"send " + quoted(send.bytes)}; },
            [](const KeyingOn &) { return QStringList{"keying on"}; },
            [](const KeyingOff &) { return QStringList{"keying off"}; },
            [](const DiscardInput &) { return QStringList{"discard"}; },
            [](const BannerRead &banner) { return QStringList{"banner " + quoted(banner.text)}; },
            [&](const FirstBlock &block) {
                const DumpPlan plan = planDump(dumpRequest(block, headerOption));
                QStringList lines;
                if (!plan.note.isEmpty())
                    lines << "warn " + said(plan.note);
                QString named = "first block " + said(plan.fileName);
                return lines << (plan.isNamed() ? named + ' ' + quoted(plan.header) : named);
            },
            [&](const WriteData &write) {
                const bool frameData = write.data == read.left(wire::kBlockDataSize);
                return QStringList{"write " + (frameData ? QString::number(write.data.size()) : quoted(write.data))};
            },
            [&](const LogEntry &entry) {
                static const QStringList places{"", "open ", "continue "};
                return QStringList{"log " + places[int(entry.place)] + said(entry.text)};
            },
            [&](const LogWarning &warning) { return QStringList{"warn " + said(warning.text)}; },
            [&](const ReadoutEnd &end) { return QStringList{"end " + ends[int(end.reason())] + ' ' + said(endLogText(end))}; },
        },
        e);
}

// Replays a scenario as the session would drive the engine and writes it out again with what the
// engine did. Read `cutStep` is cut in two at `cutAt` (-1: fed byte by byte up to the token's
// end); the port is closed after step `closeAfter`. `limits` gets, for each step, the offset its
// read may be cut before: the token's end, the frame's or total's size (-1: the step is no read).
QStringList replay(const QStringList &lines, int cutStep = -1, qsizetype cutAt = 0, int closeAfter = -1,
                   QList<qsizetype> *limits = nullptr)
{
    ReadoutEngine engine;
    bool portOpen = true, running = true, headerOption = false;
    QString progress;  // as last shown
    QStringList out;
    int sum = 0, step = -1;
    const auto apply = [&](const ReadoutEvents &events, const QByteArray &read = {}) {
        for (const ReadoutEvent &e : events) {
            for (const QString &line : event(e, read, headerOption))
                out << (portOpen ? "> " : "> AFTER CLOSE ") + line;
            // Nothing more is asked for after an end, whether the port closes now or at Close.
            if (std::holds_alternative<ReadoutEnd>(e))
                running = false;
        }
        // The session reads the progress after each batch; it shows here when it changed.
        const QString now = QStringLiteral("progress %1/%2").arg(engine.blocksChecked()).arg(engine.BlockCount());
        if (running && !events.empty() && now != progress)
            out << "> " + (progress = now);
    };
    for (const QString &line : lines) {
        if (line.startsWith("> "))
            continue;
        out << line;
        ++step;
        const QStringList words = line.split(' ', Qt::SkipEmptyParts);
        QByteArray read;
        qsizetype limit = -1;
        if (words[0] == "window") {
            engine.setRequest(words.value(1).toShort(), words.value(2).toShort());
            headerOption = words.value(3) == "header";
            progress = QStringLiteral("progress 0/%1").arg(engine.BlockCount());
            apply(engine.start());
        } else if (line == "stall") {
            apply(engine.stallTimeout(std::chrono::seconds(10)));
        } else if (line == "close") {
            portOpen = running = false, engine.stop();
        } else if (words[0] == "<" && !(read = textRead(line.mid(2), &limit)).isEmpty()) {
            limit = limit < 0 ? read.size() + 1 : limit;  // without a token end, cut anywhere
        } else if (words[0] == "frame" || words[0] == "total") {
            read = binaryRead(words, &sum);
            limit = qMin<qsizetype>(read.size(), words[0] == "total" ? 1 : wire::kFrameSize);
        } else {
            out << "> cannot read this line";
        }
        if (limits)
            *limits << limit;
        if (limit >= 0) {
            QList<QByteArray> pieces{read};
            if (step == cutStep && cutAt >= 0) {
                pieces = {read.left(cutAt), read.mid(cutAt)};
            } else if (step == cutStep) {  // byte by byte; the token's last byte comes with the rest
                pieces.clear();
                while (pieces.size() + 1 < qMin<qsizetype>(limit, read.size()))
                    pieces << read.mid(pieces.size(), 1);
                pieces << read.mid(pieces.size());
            }
            for (const QByteArray &piece : std::as_const(pieces))
                apply(engine.feed(piece), read);
        }
        if (step == closeAfter)
            portOpen = running = false, engine.stop();
    }
    return out;
}

// Where the replay first departs from the transcript, or nothing when it does not.
QString departure(const QStringList &got, const QStringList &want, const QString &how)
{
    qsizetype i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i])
        ++i;
    if (i == got.size() && i == want.size())
        return {};
    return how
        + QStringLiteral("after \"%1\":\n  expected: %2\n  got:      %3")
              .arg(want.value(i - 1), want.value(i, "(end)"), got.value(i, "(end)"));
}

}  // namespace

class TestReadoutEngine : public QObject
{
    Q_OBJECT

private slots:
    void transcripts_data();
    void transcripts();
};

void TestReadoutEngine::transcripts_data()
{
    QTest::addColumn<QStringList>("lines");
    for (const QFileInfo &info : QDir(QStringLiteral(TAMRIX_TRANSCRIPT_DIR)).entryInfoList({"*.md"})) {
        QFile file(info.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        // A "## " heading starts a scenario; its prose runs up to the `window` line.
        for (const QString &scenario : QString::fromUtf8(file.readAll()).split("\n## ").mid(1)) {
            QStringList lines = scenario.split('\n');
            const QString title = lines.takeFirst();
            while (!lines.isEmpty() && !lines.first().startsWith("window "))
                lines.removeFirst();
            lines.removeAll(QString());
            QTest::newRow(qPrintable(info.fileName() + ": " + title)) << lines;
        }
    }
}

void TestReadoutEngine::transcripts()
{
    QFETCH(QStringList, lines);
    QList<qsizetype> limits;
    QString failure = departure(replay(lines, -1, 0, -1, &limits), lines, {});
    for (int step = 0; failure.isEmpty() && step < limits.size(); ++step) {
        for (qsizetype at = -1; failure.isEmpty() && at < limits[step]; ++at) {
            // A frame is cut only near its start and around its checksum byte, to keep this quick.
            if (limits[step] < wire::kFrameSize - 16 || at <= 8 || at >= wire::kBlockDataSize - 8)
                failure = departure(replay(lines, step, at), lines,
                                    QStringLiteral("step %1 cut at %2 (-1: byte by byte), ").arg(step).arg(at));
        }
        // Once the port is closed nothing more is asked for, whatever comes.
        if (failure.isEmpty() && replay(lines, -1, 0, step).join('\n').contains("> AFTER CLOSE"))
            failure = QStringLiteral("the engine went on after the port was closed after step %1").arg(step);
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_GUILESS_MAIN(TestReadoutEngine)
#include "tst_readoutengine.moc"
