// Opening and closing the port, and the window's busy and idle states that go with it.

#include "ui/form1.h"

#include "ui/logview.h"
#include "ui/portbox.h"
#include "ui/statuslamp.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

bool Form1::OpenPort(const ReadoutSettings &settings)
{
    // On success the session has reported portOpened, which made the window busy.
    const StartOutcome outcome = m_session.start(settings);
    if (outcome.started())
        return true;
    if (!outcome.refusal.isEmpty()) {
        showMessageBox(outcome.refusal, QStringLiteral("Dump file in use"));
        return false;
    }
    const OpenFailureReport report = describeOpenFailure(outcome.port, settings.port);
    if (!report.logLine.isEmpty()) {
        Text1->startLine();
        Text1->appendMessage(report.logLine);
    }
    if (!report.boxPrompt.isEmpty())
        showMessageBox(report.boxPrompt, report.boxTitle);
    return false;
}

void Form1::ClosePort()
{
    m_session.stop();
    setBusy(false);
}

void Form1::setBusy(bool busy)
{
    cmbCom->setEnabled(!busy);
    Command1->setEnabled(!busy);
    // While the header option is ticked the banner decides the size, so the choice stays locked.
    const bool sizeFree = !busy && !chkBL->isChecked();
    optBL64->setEnabled(sizeFree);
    optBL128->setEnabled(sizeFree);
    Command2->setEnabled(busy);
    cmdDir->setEnabled(!busy);
    Text2->setEnabled(!busy);
    chkBL->setEnabled(!busy);
    Shape1->setFillColor(busy ? StatusLamp::kGreen : StatusLamp::kRed);
}
