#include "ui/form1.h"

#include "session/outputfolder.h"

#include "ui/appicon.h"
#include "ui/captionfit.h"
#include "ui/defaultfolder.h"
#include "ui/linklabel.h"
#include "ui/logview.h"
#include "ui/portbox.h"
#include "ui/returnpress.h"
#include "ui/statuslamp.h"
#include "ui/twips.h"
#include "version.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>

#include <utility>

namespace {

// Client area of the window in twips.
constexpr int kWindowWidth = 7410;
constexpr int kWindowHeight = 5880;

QFont dialogFont()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QStringList families = QFontDatabase::families();
#else
    const QStringList families = QFontDatabase().families();
#endif
    QFont font = families.contains(QStringLiteral("MS Sans Serif")) ? QFont(QStringLiteral("MS Sans Serif"))
                                                                    : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    // Plain Latin text needs no shaping; skipping it halves the cost of painting the log,
    // which a read-out changes twenty times a second.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

template <typename Widget, typename... Args>
Widget *make(QWidget *parent, const char *name, Args &&...args)
{
    auto *widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QFrame *verticalLine(QWidget *parent, const char *name, int left, int top, int height)
{
    auto *line = make<QFrame>(parent, name);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    line->setGeometry(twipsToPixels(left), twipsToPixels(top), 1, twipsToPixels(height));
    return line;
}

}  // namespace

const QString Form1::kWebPage = QStringLiteral(TAMRIX_HOMEPAGE);

Form1::Form1(QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tamrix for KAON STBs"));
    setWindowIcon(tamrixIcon());
    setFont(dialogFont());
    setFixedSize(twipsToPixels(kWindowWidth), twipsToPixels(kWindowHeight));

    buildControls();
    setTabOrder();
    connectControls();
    load();
}

void Form1::buildControls()
{
    // Frames first: the controls that stand in front of them are created later, on top.
    frmCom = make<QGroupBox>(this, "frmCom", QStringLiteral("Serial Port Settings"));
    placeInTwips(frmCom, 0, 0, 1575, 830);
    frmDataInfo = make<QGroupBox>(this, "frmDataInfo", QStringLiteral("Data Request"));
    placeInTwips(frmDataInfo, 1680, 0, 3615, 830);
    Frame2 = make<QGroupBox>(this, "Frame2", QStringLiteral("COM Control"));
    placeInTwips(Frame2, 5400, 0, 1935, 830);
    Frame5 = make<QGroupBox>(this, "Frame5");
    placeInTwips(Frame5, 0, 810, 7335, 400);
    Frame1 = make<QGroupBox>(this, "Frame1");
    placeInTwips(Frame1, 0, 1200, 7335, 3975);
    Frame3 = make<QGroupBox>(this, "Frame3", QStringLiteral("About"));
    placeInTwips(Frame3, 0, 5160, 7335, 615);

    cmbCom = make<PortBox>(this, "cmbCom");
    cmbCom->setToolTip(QStringLiteral("Select the COM-Port for the receiver"));
    placeInTwips(cmbCom, 240, 300, 1095, 315);

    Label1 = make<QLabel>(frmDataInfo, "Label1", QStringLiteral("Start with Block"));
    placeInTwips(Label1, 120, 240, 1215, 255);
    txtStart = make<QLineEdit>(frmDataInfo, "txtStart");
    txtStart->setEnabled(false);
    placeInTwips(txtStart, 1680, 200, 495, 285);
    Label2 = make<QLabel>(frmDataInfo, "Label2", QStringLiteral("Number of Blocks"));
    placeInTwips(Label2, 120, 520, 1335, 255);
    txtNumber = make<QLineEdit>(frmDataInfo, "txtNumber");
    txtNumber->setEnabled(false);
    placeInTwips(txtNumber, 1680, 500, 495, 285);
    optBL64 = make<QRadioButton>(frmDataInfo, "optBL64");
    placeInTwips(optBL64, 2400, 200, 1095, 255);
    optBL128 = make<QRadioButton>(frmDataInfo, "optBL128");
    placeInTwips(optBL128, 2400, 500, 1095, 255);
    for (const auto &[option, sizeKb] : sizeOptions())
        option->setText(QStringLiteral("BL %1 kB").arg(sizeKb));

    Command1 = make<QPushButton>(this, "Command1", QStringLiteral("Open"));
    placeInTwips(Command1, 5520, 270, 615, 375);
    Command2 = make<QPushButton>(Frame2, "Command2", QStringLiteral("Close"));
    Command2->setEnabled(false);
    placeInTwips(Command2, 840, 270, 615, 375);
    Shape1 = make<StatusLamp>(Frame2, "Shape1");
    placeInTwips(Shape1, 1560, 320, 255, 255);

    chkBL = make<QCheckBox>(Frame5, "chkBL",
                            QStringLiteral("Ascertain the size and add the header for the KUP - Loader  "
                                           "(use it at your own risk !!!)"));
    placeInTwips(chkBL, 120, 120, 6615, 255);

    ProgressBar1 = make<QProgressBar>(Frame1, "ProgressBar1");
    ProgressBar1->setTextVisible(false);
    // The classic segmented bar of the common controls, which is also cheap to paint: the bar
    // moves ten times a second during a read-out.
    if (QStyle *classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        classic->setParent(ProgressBar1);
        ProgressBar1->setStyle(classic);
    }
    placeInTwips(ProgressBar1, 120, 140, 7095, 255);
    Label3 = make<QLabel>(Frame1, "Label3", QStringLiteral("Save to"));
    placeInTwips(Label3, 240, 3520, 735, 255);
    Text2 = make<QLineEdit>(Frame1, "Text2");
    placeInTwips(Text2, 1080, 3480, 5175, 330);
    cmdDir = make<QPushButton>(Frame1, "cmdDir", QStringLiteral("Directory"));
    placeInTwips(cmdDir, 6360, 3460, 855, 375);

    Text1 = make<LogView>(this, "Text1");
    placeInTwips(Text1, 120, 1560, 7095, 2895);
    Text1->setFocus();

    buildAboutFrame();
    condenseToFit(this);
}

void Form1::buildAboutFrame()
{
    Label4 = make<QLabel>(Frame3, "Label4", QStringLiteral(TAMRIX_COPYRIGHT));
    placeInTwips(Label4, 120, 240, 1815, 255);
    Line1 = verticalLine(Frame3, "Line1", 1920, 120, 480);
    Label5 = make<QLabel>(Frame3, "Label5", QStringLiteral("For contact and  more info:"));
    placeInTwips(Label5, 2160, 240, 1935, 255);
    Label6 = make<LinkLabel>(Frame3, "Label6", QUrl(kWebPage).host());
    placeInTwips(Label6, 4200, 240, 1815, 255);
    Line2 = verticalLine(Frame3, "Line2", 6000, 120, 480);
    Label7 = make<QLabel>(Frame3, "Label7", QStringLiteral("Tamrix v" TAMRIX_VERSION));
    placeInTwips(Label7, 6240, 240, 975, 255);
}

void Form1::setTabOrder()
{
    // Keyboard order of the design; labels, frames and the progress bar take no focus.
    const QList<QWidget *> order{Text1, cmbCom, Command1, txtStart, txtNumber, Command2, Text2, optBL64, optBL128, cmdDir, chkBL};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::connectControls()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::RunReadout);
    connect(Command2, &QPushButton::clicked, this, &Form1::ClosePort);
    connectSession();
    for (const auto &[option, sizeKb] : sizeOptions()) {
        connect(option, &QRadioButton::toggled, this, [this, sizeKb = sizeKb](bool on) {
            if (on)
                showBlockRange(sizeKb);
        });
        // Of the size options only the selected one is a tab stop; the arrow keys move between them.
        const auto followSelection = [option = option](bool on) {
            option->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        };
        followSelection(option->isChecked());
        connect(option, &QRadioButton::toggled, option, followSelection);
    }
    connect(chkBL, &QCheckBox::toggled, this, &Form1::onChkBLClick);
    connect(cmdDir, &QPushButton::clicked, this, &Form1::onCmdDirClick);
    for (QPushButton *button : {Command1, Command2, cmdDir})
        pressWithReturn(button);
    connect(Label6, &LinkLabel::clicked, this, &Form1::onLabel6Click);
}

void Form1::load()
{
    cmbCom->refresh();
    cmbCom->setCurrentIndex(0);
    // The session has its keying timer stopped and the line settings made from the start.
    ProgressBar1->setValue(0);
    ProgressBar1->setEnabled(false);
    Text1->setPlainText(QStringLiteral("Select the COM-Port, the size of the BootLoader, click OPEN and turn the STB on."));
    m_defaultFolder = defaultFolder(QCoreApplication::applicationDirPath());
    Text2->setText(m_defaultFolder);
    selectSizeOption(defaultLoaderSize());
}

void Form1::prefill(const WindowOptions &options)
{
    if (!options.port.isEmpty())
        cmbCom->showPort(options.port);
    if (!options.outputFolder.isEmpty())
        Text2->setText(options.outputFolder);
}

void Form1::showMessageBox(const QString &prompt, const QString &title)
{
    if (m_messageBoxHandler) {
        m_messageBoxHandler(prompt, title);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, this);
    box.exec();
}

bool Form1::askQuestion(const QString &prompt, const QString &title)
{
    if (m_messageBoxHandler)
        return m_messageBoxHandler(prompt, title);
    return QMessageBox::question(this, title, prompt, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void Form1::closeWithoutAsking()
{
    m_askBeforeClosing = false;
    close();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing the window in the middle of a read-out asks first, then ends it as Close does.
    const bool ask = std::exchange(m_askBeforeClosing, true);
    if (ask && m_session.isRunning()
        && !askQuestion(QStringLiteral("A read-out is running. Stop it and close Tamrix?"), windowTitle())) {
        event->ignore();
        return;
    }
    if (m_session.isPortOpen()) {
        const qsizetype before = Text1->text().size();
        ClosePort();
        emit closedDuringReadout(Text1->text().mid(before).split('\n', Qt::SkipEmptyParts));
    }
    saveSettings();
    QWidget::closeEvent(event);
}
