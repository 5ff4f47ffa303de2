#pragma once
// The Tamrix window: the controls, their start-up state, and the wiring between the serial
// line, the read-out engine, the log and the dump file.

#include "dumpfile/dumpwriter.h"
#include "readout/readoutengine.h"
#include "serial/portchoice.h"
#include "serial/serialline.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

class LinkLabel;
class LogView;
class StatusLamp;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class Form1 : public QWidget
{
    Q_OBJECT

public:
    static inline const QString kWebPage = QStringLiteral("https://tamrix.example.org/");

    explicit Form1(QWidget *parent = nullptr);

    // The folder dialog: the chosen folder's full path, or "" when cancelled.
    QString BrowseForFolder(const QString &sTitle);

    // Every message box of the window goes through here, so tests can answer them.
    using MessageBoxHandler = std::function<void(const QString &prompt, const QString &title)>;
    void setMessageBoxHandler(MessageBoxHandler handler) { m_messageBoxHandler = std::move(handler); }

    const ReadoutEngine &readout() const { return m_readout; }
    QString outputFileName() const { return OutputFileName; }
    bool isPortOpen() const { return MSComm1.isOpen(); }
    bool isDumpFileOpen() const { return m_dumpFile.isOpen(); }
    bool isKeying() const { return Timer1.isActive(); }

public slots:
    void RunReadout();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Window design and start-up
    void buildControls();
    void buildAboutFrame();
    void setTabOrder();
    void connectControls();
    void load();
    QString programFolder() const;
    void showMessageBox(const QString &prompt, const QString &title);

    // Port opening and closing
    PortChoice selectedPort() const;
    bool OpenPort(const PortChoice &port);
    void ClosePort();

    // Read-out
    void carryOut(const ReadoutActions &actions);
    void openDumpFile(const QString &fileName, const QByteArray &header);
    void writeDump(const QByteArray &data);
    void endWithDumpFileError();
    void endWithLogLine(const QString &line);
    void onDataArrived();
    void onLineLost(const QString &reason);
    void onTimer1Tick();
    void watchForStall();
    void onStallTimeout();

    // Settings
    void onOptBL64Click();
    void onOptBL128Click();
    void onChkBLClick();
    void onCmdDirClick();
    void onLabel6Click();

    // Controls, named as on the window's design.
    QGroupBox *frmCom = nullptr;
    QComboBox *cmbCom = nullptr;
    QGroupBox *frmDataInfo = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *txtStart = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtNumber = nullptr;
    QRadioButton *optBL64 = nullptr;
    QRadioButton *optBL128 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    StatusLamp *Shape1 = nullptr;
    QGroupBox *Frame5 = nullptr;
    QCheckBox *chkBL = nullptr;
    QGroupBox *Frame1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    LogView *Text1 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *cmdDir = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLabel *Label4 = nullptr;
    QFrame *Line1 = nullptr;
    QLabel *Label5 = nullptr;
    LinkLabel *Label6 = nullptr;
    QFrame *Line2 = nullptr;
    QLabel *Label7 = nullptr;
    QTimer Timer1;           // wake-up keying
    SerialLine MSComm1;      // the serial line

    QTimer m_stallTimer;     // a frame or the total byte that stops coming
    QElapsedTimer m_lastProgress;
    ReadoutEngine m_readout;
    DumpWriter m_dumpFile;
    PortChoice m_openPort;
    QString OutputFileName;  // the last named dump, kept between read-outs
    QByteArray LoaderHeader128;
    QByteArray LoaderHeader64;
    MessageBoxHandler m_messageBoxHandler;
};
