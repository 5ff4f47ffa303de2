// Opening and closing the port, and the window's busy and idle states that go with it.

#include "ui/form1.h"

#include "ui/logview.h"
#include "ui/portbox.h"
#include "ui/statuslamp.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

bool Form1::OpenPort(const ReadoutRequest &request)
{
    // On success the session has reported portOpened, which made the window busy.
    const StartOutcome outcome = m_session.start(request);
    if (outcome.started())
        return true;
    if (outcome.boxTitle.isEmpty())
        Text1->add(LogEntry::line(outcome.words));
    else
        showMessageBox(outcome.words, outcome.boxTitle);
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
    lockSizeOptions();
    Command2->setEnabled(busy);
    cmdDir->setEnabled(!busy);
    Text2->setEnabled(!busy);
    chkBL->setEnabled(!busy);
    Shape1->setFillColor(busy ? StatusLamp::kGreen : StatusLamp::kRed);
}
