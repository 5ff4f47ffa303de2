// Opening and closing the port, and the window's busy and idle states that go with it.

#include "ui/form1.h"

#include "ui/logview.h"
#include "ui/statuslamp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

PortChoice Form1::selectedPort() const
{
    // Text that matches no entry names a device directly, such as /dev/ttyUSB0 or COM7.
    const int entry = cmbCom->findText(cmbCom->currentText(), Qt::MatchExactly);
    if (entry < 0)
        return portForTypedName(cmbCom->currentText());
    return portForNumber(static_cast<qint16>(cmbCom->itemData(entry).toInt()));
}

bool Form1::OpenPort(const PortChoice &port)
{
    const OpenOutcome outcome = MSComm1.open(port.device);
    if (outcome != OpenOutcome::Opened) {
        const OpenFailureReport report = describeOpenFailure(outcome, port.label);
        if (!report.logLine.isEmpty())
            Text1->appendMessage(report.logLine);
        if (!report.boxPrompt.isEmpty())
            showMessageBox(report.boxPrompt, report.boxTitle);
        return false;
    }

    m_openPort = port;
    cmbCom->setEnabled(false);
    Command1->setEnabled(false);
    optBL64->setEnabled(false);
    optBL128->setEnabled(false);
    Command2->setEnabled(true);
    cmdDir->setEnabled(false);
    Text2->setEnabled(false);
    chkBL->setEnabled(false);
    Shape1->setFillColor(StatusLamp::kGreen);
    ProgressBar1->setValue(0);
    ProgressBar1->setMaximum(m_readout.BlockCount());
    ProgressBar1->setEnabled(true);
    return true;
}

void Form1::ClosePort()
{
    if (MSComm1.isOpen()) {
        Shape1->setFillColor(StatusLamp::kRed);
        MSComm1.close();
        m_dumpFile.close();
        Text1->appendMessage(QStringLiteral("Serial port closed.\r\n"));
    }
    // Whatever the read-out waited for, it is over: nothing more goes to the loader.
    m_readout.stop();
    m_stallTimer.stop();

    chkBL->setEnabled(true);
    if (!chkBL->isChecked()) {
        optBL64->setEnabled(true);
        optBL128->setEnabled(true);
    }
    cmbCom->setEnabled(true);
    Command1->setEnabled(true);
    Command2->setEnabled(false);
    Text2->setEnabled(true);
    cmdDir->setEnabled(true);
}
