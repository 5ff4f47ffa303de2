// The read-out as the window shows it: the session runs it, the window reports.

#include "ui/form1.h"

#include "session/outputfolder.h"
#include "ui/logview.h"
#include "ui/portbox.h"
#include "ui/refreshlimit.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

void Form1::RunReadout()
{
    // What a read-out was tried with comes back at the next start, even if this one never ends.
    saveSettings();
    // A folder typed for a box, ~/Tamrix/SN1004, is made when the user says so; its name is
    // then the label in the record of every dump read into it.
    const QString folder = outputFolder(Text2->text(), m_defaultFolder);
    if (!QFileInfo::exists(folder) && QDir::cleanPath(folder) != QDir::cleanPath(m_defaultFolder)) {
        if (!askQuestion("The folder " + QDir::toNativeSeparators(folder) + " does not exist. Make it for the dump?",
                         QStringLiteral("New folder")))
            return;
        QDir().mkpath(folder);
    }
    const ReadoutRequest request{cmbCom->currentText(),
                                 cmbCom->entries(),
                                 sizeOption(),
                                 chkBL->isChecked(),
                                 Text2->text(),
                                 m_defaultFolder,
                                 folderLabel(folder, m_defaultFolder)};
    if (!OpenPort(request))
        ClosePort();
}

void Form1::connectSession()
{
    connect(&m_session, &ReadoutSession::logged, Text1, [this](const LogEntry &entry) { Text1->add(entry); });
    const auto lineOfItsOwn = [this](const QString &line) { Text1->add(LogEntry::line(line)); };
    connect(&m_session, &ReadoutSession::warning, Text1, lineOfItsOwn);
    connect(&m_session, &ReadoutSession::incompleteDumpLeft, Text1, lineOfItsOwn);
    // Each read-out's log starts afresh.
    connect(&m_session, &ReadoutSession::portOpened, this, [this] {
        Text1->clear();
        setBusy(true);
    });
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
