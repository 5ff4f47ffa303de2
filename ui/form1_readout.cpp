// The read-out as the window shows it: the session runs it, the window reports.

#include "ui/form1.h"

#include "dumpfile/dumpfolder.h"
#include "ui/logview.h"
#include "ui/portbox.h"
#include "ui/refreshlimit.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>

void Form1::RunReadout()
{
    if (cmbCom->currentText().trimmed().isEmpty()) {
        showMessageBox(QStringLiteral("Choose the serial port of the receiver in the list, or type its name."),
                       QStringLiteral("No serial port"));
        return;
    }
    const QString folder = outputFolder(Text2->text(), defaultFolder());
    if (!outputFolderAccepted(folder))
        return;
    const ReadoutSettings settings{cmbCom->selectedPort(),
                                   static_cast<qint16>(txtStart->text().toInt()),
                                   static_cast<qint16>(txtNumber->text().toInt()),
                                   chkBL->isChecked(),
                                   folder,
                                   {LoaderHeader128, LoaderHeader64}};
    // What a read-out was tried with comes back at the next start, even if this one never ends.
    saveSettings();
    if (!OpenPort(settings))
        ClosePort();
}

bool Form1::outputFolderAccepted(const QString &folder)
{
    // Found out before the box is woken, not at the first block.
    const QString problem = folderProblem(folder);
    if (problem.isEmpty())
        return true;
    const QString shown = QDir::toNativeSeparators(folder);
    showMessageBox("Cannot save the dump in " + shown + ": " + problem + ".", "Error with the folder " + shown);
    return false;
}

void Form1::connectSession()
{
    connect(&m_session, &ReadoutSession::logAppended, Text1, &LogView::appendMessage);
    connect(&m_session, &ReadoutSession::incompleteDumpLeft, Text1, &LogView::appendMessage);
    const auto lineOfItsOwn = [this](const QString &line) {
        Text1->startLine();
        Text1->appendMessage(line);
    };
    connect(&m_session, &ReadoutSession::logLine, Text1, lineOfItsOwn);
    connect(&m_session, &ReadoutSession::warning, Text1, lineOfItsOwn);
    connect(&m_session, &ReadoutSession::ended, Text1, [lineOfItsOwn, this] {
        // Only a failed block ends with the port still open: the dump stays open for a look
        // until Close, and the user must be told so.
        if (m_session.isPortOpen())
            lineOfItsOwn(QStringLiteral("The read-out has stopped and the dump is incomplete. Click Close to end it.\r\n"));
    });
    connect(&m_session, &ReadoutSession::logReplaced, Text1, &LogView::replaceText);
    connect(&m_session, &ReadoutSession::portOpened, this, [this] { setBusy(true); });
    connect(&m_session, &ReadoutSession::portClosed, this, [this] { setBusy(false); });
    // Blocks from a fast line come faster than a screen shows them: the log and the bar are
    // repainted at most 50 times a second then. At 115200 baud every block is painted.
    auto *refresh = new RefreshLimit({Text1, ProgressBar1}, std::chrono::milliseconds(20), this);
    connect(&m_session, &ReadoutSession::progressChanged, this, [this, refresh](int done, int inAll) {
        refresh->aboutToChange();
        ProgressBar1->setEnabled(true);
        // The log box covers the bar's lower edge, and the bar's own immediate repaint then
        // never reaches the screen while the log scrolls; one queued update does, instead of
        // painting twice.
        const bool held = refresh->holding();
        ProgressBar1->setUpdatesEnabled(false);
        ProgressBar1->setMaximum(inAll);
        ProgressBar1->setValue(done);
        ProgressBar1->setUpdatesEnabled(!held);
    });
}
