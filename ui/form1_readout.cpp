// The read-out as the window runs it: the engine decides, the window carries out.

#include "ui/form1.h"

#include "readout/wiretext.h"
#include "ui/logview.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>

void Form1::RunReadout()
{
    m_readout.setRequest(static_cast<qint16>(txtStart->text().toInt()),
                         static_cast<qint16>(txtNumber->text().toInt()));
    if (!OpenPort(selectedPort())) {
        ClosePort();
        return;
    }
    carryOut(m_readout.start(chkBL->isChecked(), {LoaderHeader128, LoaderHeader64}));
}

void Form1::carryOut(const ReadoutActions &actions)
{
    using Kind = ReadoutAction::Kind;
    for (const ReadoutAction &action : actions) {
        // A closed port ends the read-out: whatever was still to be done is dropped.
        if (!MSComm1.isOpen())
            break;
        switch (action.kind) {
        case Kind::Send:
            MSComm1.write(action.bytes);
            break;
        case Kind::AppendLog:
            Text1->appendMessage(action.text);
            break;
        case Kind::ReplaceLog:
            Text1->replaceText(action.text);
            break;
        case Kind::ProgressMax:
            ProgressBar1->setMaximum(action.value);
            break;
        case Kind::ProgressValue:
            ProgressBar1->setValue(action.value);
            // The log box covers the bar's lower edge, and the bar's own immediate repaint
            // then never reaches the screen while the log scrolls; a queued update does.
            ProgressBar1->update();
            break;
        case Kind::KeyingOn:
            Timer1.start();
            break;
        case Kind::KeyingOff:
            Timer1.stop();
            break;
        case Kind::DiscardInput:
            MSComm1.discardInput();
            break;
        case Kind::OpenDump:
            openDumpFile(action.text, action.bytes);
            break;
        case Kind::WriteDump:
            writeDump(action.bytes);
            break;
        case Kind::ClosePort:
            ClosePort();
            break;
        }
    }
    watchForStall();
}

void Form1::watchForStall()
{
    // A frame or total that stops arriving must not leave the window waiting for ever. The
    // timer is not restarted for every read (hundreds a second); it checks the time of the
    // last one when it fires.
    if (!m_readout.awaitsBinary() || !MSComm1.isOpen()) {
        m_stallTimer.stop();
        return;
    }
    m_lastProgress.start();
    if (!m_stallTimer.isActive())
        m_stallTimer.start(ReadoutEngine::kStallLimit);
}

void Form1::openDumpFile(const QString &fileName, const QByteArray &header)
{
    // The folder text is a plain prefix: it carries its own trailing separator.
    if (!m_dumpFile.open(Text2->text() + fileName, header)) {
        endWithDumpFileError();
        return;
    }
    if (!header.isEmpty())
        OutputFileName = fileName;
}

void Form1::writeDump(const QByteArray &data)
{
    if (!m_dumpFile.append(data))
        endWithDumpFileError();
}

void Form1::endWithDumpFileError()
{
    endWithLogLine("Cannot write the dump file " + QDir::toNativeSeparators(m_dumpFile.path()) + ": "
                   + m_dumpFile.errorString());
}

void Form1::endWithLogLine(const QString &line)
{
    Text1->appendMessage(line + QStringLiteral("\r\n"));
    ClosePort();
}

void Form1::onDataArrived()
{
    const QByteArray chunk = MSComm1.readAll();
    if (!chunk.isEmpty())
        carryOut(m_readout.feed(chunk));
}

void Form1::onLineLost(const QString &reason)
{
    endWithLogLine("Lost serial port " + m_openPort.label + ": " + reason);
}

void Form1::onTimer1Tick()
{
    if (MSComm1.isOpen())
        MSComm1.write(QByteArray(1, wire::kWakeUp));
    else
        Timer1.stop();
}

void Form1::onStallTimeout()
{
    const auto quiet = std::chrono::milliseconds(m_lastProgress.elapsed());
    if (quiet < ReadoutEngine::kStallLimit) {
        m_stallTimer.start(ReadoutEngine::kStallLimit - quiet);
        return;
    }
    carryOut(m_readout.stallTimeout());
}
