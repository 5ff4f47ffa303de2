#pragma once
// The Tamrix window: the controls, their start-up state and the settings rules. A read-out runs
// in a ReadoutSession; the window starts and stops it and shows what it reports.

#include "serial/portchoice.h"
#include "session/readoutsession.h"
#include "ui/windowoptions.h"

#include <QWidget>

#include <functional>
#include <utility>

class LinkLabel;
class PortBox;
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
class QSettings;

class Form1 : public QWidget
{
    Q_OBJECT

public:
    static const QString kWebPage;

    explicit Form1(QWidget *parent = nullptr);

    // Port, folder, size and header option as they were last used, kept in `store`: what it
    // holds is shown now, and the window's settings go there when a read-out starts and when the
    // window closes. Without a store nothing is remembered.
    void rememberIn(QSettings *store);

    // The port and folder given on the command line, typed in as the user would.
    void prefill(const WindowOptions &options);

    // The folder dialog: the chosen folder's full path, or "" when cancelled.
    QString BrowseForFolder(const QString &sTitle);

    // Every message box of the window goes through here, so tests can answer them: true is Yes
    // to a question; an OK box ignores it.
    using MessageBoxHandler = std::function<bool(const QString &prompt, const QString &title)>;
    void setMessageBoxHandler(MessageBoxHandler handler) { m_messageBoxHandler = std::move(handler); }

    bool isPortOpen() const { return m_session.isPortOpen(); }
    bool isDumpFileOpen() const { return m_session.isDumpFileOpen(); }
    bool isKeying() const { return m_session.isKeying(); }

public slots:
    void RunReadout();
    // Closes the window, and a read-out with it, without asking: a request to end from outside,
    // such as Ctrl-C in the terminal.
    void closeWithoutAsking();

signals:
    // The window was closed while the port was open: the log's lines that closing it added.
    void closedDuringReadout(const QStringList &lastLines);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Window design and start-up
    void buildControls();
    void buildAboutFrame();
    void setTabOrder();
    void connectControls();
    void load();
    void showMessageBox(const QString &prompt, const QString &title);
    bool askQuestion(const QString &prompt, const QString &title);

    // Port opening and closing, and the busy and idle states that go with them
    bool OpenPort(const ReadoutRequest &request);
    void ClosePort();
    void setBusy(bool busy);

    // Read-out
    void connectSession();

    // Settings
    // The size options and the loader size each asks for.
    QList<std::pair<QRadioButton *, int>> sizeOptions() const;
    void showBlockRange(int sizeKb);
    int sizeOption() const;
    void selectSizeOption(int sizeKb);
    void lockSizeOptions();
    void onChkBLClick();
    void onCmdDirClick();
    void saveSettings();
    void onLabel6Click();

    // Controls, named as on the window's design.
    QGroupBox *frmCom = nullptr;       // frame "Serial Port Settings"
    PortBox *cmbCom = nullptr;         // port list, also typed into
    QGroupBox *frmDataInfo = nullptr;  // frame "Data Request"
    QLabel *Label1 = nullptr;          // "Start with Block"
    QLineEdit *txtStart = nullptr;
    QLabel *Label2 = nullptr;  // "Number of Blocks"
    QLineEdit *txtNumber = nullptr;
    QRadioButton *optBL64 = nullptr;
    QRadioButton *optBL128 = nullptr;
    QGroupBox *Frame2 = nullptr;      // frame "COM Control"
    QPushButton *Command1 = nullptr;  // Open: runs a read-out
    QPushButton *Command2 = nullptr;  // Close
    StatusLamp *Shape1 = nullptr;     // port lamp: green while the port is open
    QGroupBox *Frame5 = nullptr;      // frame around the header option
    QCheckBox *chkBL = nullptr;       // header option
    QGroupBox *Frame1 = nullptr;      // frame around progress, log and folder
    QProgressBar *ProgressBar1 = nullptr;
    LogView *Text1 = nullptr;       // the log
    QLabel *Label3 = nullptr;       // "Save to"
    QLineEdit *Text2 = nullptr;     // output folder
    QPushButton *cmdDir = nullptr;  // "Directory": the folder dialog
    QGroupBox *Frame3 = nullptr;    // frame "About"
    QLabel *Label4 = nullptr;       // author line
    QFrame *Line1 = nullptr;
    QLabel *Label5 = nullptr;     // "For contact and  more info:"
    LinkLabel *Label6 = nullptr;  // link to the web page
    QFrame *Line2 = nullptr;
    QLabel *Label7 = nullptr;  // program version

    // The serial line (MSComm1) and the keying timer (Timer1) belong to the session.
    ReadoutSession m_session;
    MessageBoxHandler m_messageBoxHandler;
    QSettings *m_store = nullptr;
    bool m_askBeforeClosing = true;
    // Found once at start-up: on Windows it tries a file in the program's folder.
    QString m_defaultFolder;
};
