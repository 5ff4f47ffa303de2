// The window as it starts, its log and its settings.

#include "formprobe.h"

#include "ui/portbox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void startsAsDesigned();
    void tabWalksTheDesignedOrder();
    void logKeepsTheCaretAtTheEnd();
    void sizeOptionsAndHeaderLock();
    void directoryButtonUsesTheFolderDialog();
    void linkOpensTheWebPage();
    void portListAndCommandLine();
};

void TestForm1::startsAsDesigned()
{
    Form1 w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Tamrix for KAON STBs"));
    QCOMPARE(w.size(), QSize(494, 392));  // 7410 x 5880 twips
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.windowIcon().availableSizes().size(), 5);  // all the embedded artwork

    // name, parent, text, geometry in pixels (twips / 15)
    struct Row { const char *name; const char *parent; QString text; QRect rect; };
    const QList<Row> table{
        {"frmCom", "Form1", "Serial Port Settings", {0, 0, 105, 55}},
        {"cmbCom", "Form1", "COM 1", {16, 20, 73, 21}},
        {"frmDataInfo", "Form1", "Data Request", {112, 0, 241, 55}},
        {"Label1", "frmDataInfo", "Start with Block", {8, 16, 81, 17}},
        {"txtStart", "frmDataInfo", "1920", {112, 13, 33, 19}},
        {"Label2", "frmDataInfo", "Number of Blocks", {8, 35, 89, 17}},
        {"txtNumber", "frmDataInfo", "0128", {112, 33, 33, 19}},
        {"optBL64", "frmDataInfo", "BL 64 kB", {160, 13, 73, 17}},
        {"optBL128", "frmDataInfo", "BL 128 kB", {160, 33, 73, 17}},
        {"Frame2", "Form1", "COM Control", {360, 0, 129, 55}},
        {"Command1", "Form1", "Open", {368, 18, 41, 25}},
        {"Command2", "Frame2", "Close", {56, 18, 41, 25}},
        {"Shape1", "Frame2", "", {104, 21, 17, 17}},
        {"Frame5", "Form1", "", {0, 54, 489, 27}},
        {"chkBL", "Frame5", "Ascertain the size and add the header for the KUP - Loader  (use it at your own risk !!!)", {8, 8, 441, 17}},
        {"Frame1", "Form1", "", {0, 80, 489, 265}},
        {"ProgressBar1", "Frame1", "", {8, 9, 473, 17}},
        {"Text1", "Form1", "Select the COM-Port, the size of the BootLoader, click OPEN and turn the STB on.", {8, 104, 473, 193}},
        {"Label3", "Frame1", "Save to", {16, 235, 49, 17}},
        {"Text2", "Frame1", QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator(), {72, 232, 345, 22}},
        {"cmdDir", "Frame1", "Directory", {424, 231, 57, 25}},
        {"Frame3", "Form1", "About", {0, 344, 489, 41}},
        {"Label5", "Frame3", "For contact and  more info:", {144, 16, 129, 17}},
        {"Label6", "Frame3", "tamrix.example.org", {280, 16, 121, 17}},
        {"Label7", "Frame3", "Tamrix v2.2", {416, 16, 65, 17}},
    };
    for (const Row &row : table) {
        QWidget *c = child<QWidget>(w, row.name);
        QCOMPARE(c->parentWidget()->objectName(), QString::fromLatin1(row.parent));
        QCOMPARE(c->geometry(), row.rect);
        QString text;
        if (auto *g = qobject_cast<QGroupBox *>(c)) text = g->title();
        else if (auto *b = qobject_cast<QAbstractButton *>(c)) text = b->text();
        else if (auto *l = qobject_cast<QLabel *>(c)) text = l->text();
        else if (auto *e = qobject_cast<QLineEdit *>(c)) text = e->text();
        else if (auto *cb = qobject_cast<QComboBox *>(c)) text = cb->currentText();
        else if (auto *log = qobject_cast<LogView *>(c)) text = log->toPlainText();
        QCOMPARE(text, row.text);
    }
    // Controls that stand in front of a frame are drawn above it.
    const QObjectList stack = w.children();
    QVERIFY(stack.indexOf(child<QWidget>(w, "cmbCom")) > stack.indexOf(child<QWidget>(w, "frmCom")));
    QVERIFY(stack.indexOf(child<QWidget>(w, "Command1")) > stack.indexOf(child<QWidget>(w, "Frame2")));
    QVERIFY(stack.indexOf(child<QWidget>(w, "Text1")) > stack.indexOf(child<QWidget>(w, "Frame1")));

    auto *ports = child<QComboBox>(w, "cmbCom");
    QVERIFY(ports->count() >= 4);  // then the system's own ports
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(ports->itemText(i), QStringLiteral("COM %1").arg(i + 1));
        QCOMPARE(ports->itemData(i).toInt(), i + 1);
    }
    QVERIFY(ports->isEditable());
    QCOMPARE(ports->toolTip(), QStringLiteral("Select the COM-Port for the receiver"));

    QCOMPARE(controlStates(w), kIdle);
    QVERIFY(!child<QLineEdit>(w, "txtStart")->isEnabled());
    QVERIFY(!child<QLineEdit>(w, "txtNumber")->isEnabled());
    QVERIFY(child<QRadioButton>(w, "optBL128")->isChecked());
    QVERIFY(!child<QRadioButton>(w, "optBL64")->isChecked());
    QVERIFY(!child<QCheckBox>(w, "chkBL")->isChecked());
    QCOMPARE(lampColor(w), 255);
    auto *bar = child<QProgressBar>(w, "ProgressBar1");
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isEnabled());
    QVERIFY(!w.isKeying());
    auto *log = child<LogView>(w, "Text1");
    QCOMPARE(log->textCursor().position(), log->toPlainText().size());
    QVERIFY(!log->isReadOnly());
    QVERIFY(child<QWidget>(w, "Frame3")->isEnabled());
}

void TestForm1::tabWalksTheDesignedOrder()
{
    Form1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    // Disabled controls are skipped; of the size options only the selected one is a stop.
    QCOMPARE(visited, (QStringList{"cmbCom", "Command1", "Text2", "optBL128", "cmdDir", "chkBL", "Text1"}));

    // The arrow keys choose within the group, and the choice becomes the stop.
    auto *bl128 = child<QRadioButton>(w, "optBL128");
    bl128->setFocus(Qt::TabFocusReason);
    QTest::keyClick(bl128, Qt::Key_Up);
    QVERIFY(child<QRadioButton>(w, "optBL64")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "txtStart")->text(), QStringLiteral("1984"));
    child<QWidget>(w, "Text2")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("optBL64"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdDir"));
}

void TestForm1::logKeepsTheCaretAtTheEnd()
{
    Form1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *log = child<LogView>(w, "Text1");
    const auto caretAtEnd = [log] {
        return log->textCursor().position() == log->document()->characterCount() - 1
            && !log->textCursor().hasSelection();
    };

    // The instruction has no line end: the next message continues its line, unless it asks for
    // a line of its own, as an open error does.
    log->appendMessage(QStringLiteral("x"));
    log->startLine();
    log->appendMessage(QStringLiteral("error opening COM 3\r\n"));
    log->startLine();
    QCOMPARE(log->toPlainText(), QStringLiteral("Select the COM-Port, the size of the BootLoader, click OPEN and turn the STB on.x\nerror opening COM 3\n"));
    QVERIFY(caretAtEnd());

    for (int i = 0; i < 300; ++i)
        log->appendMessage(QStringLiteral("REQUEST Block: %1      Transfered successfully Block: %1\r\n").arg(i));
    QVERIFY(caretAtEnd());
    QCOMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());

    log->replaceText(QStringLiteral("sending request... Turn now your receiver on.\r\n"));
    QCOMPARE(log->toPlainText(), QStringLiteral("sending request... Turn now your receiver on.\n"));
    QVERIFY(caretAtEnd());

    // Typing in the middle: the first key lands there, the caret jumps to the end, the rest follows.
    QTextCursor middle = log->textCursor();
    middle.setPosition(7);
    log->setTextCursor(middle);
    log->setFocus();
    QTest::keyClicks(log, "ab");
    QCOMPARE(log->toPlainText(), QStringLiteral("sendingaa request... Turn now your receiver on.\nb").replace("aa", "a"));
    QVERIFY(caretAtEnd());
}

void TestForm1::sizeOptionsAndHeaderLock()
{
    Form1 w;
    auto *bl64 = child<QRadioButton>(w, "optBL64");
    auto *bl128 = child<QRadioButton>(w, "optBL128");
    auto *header = child<QCheckBox>(w, "chkBL");
    auto *start = child<QLineEdit>(w, "txtStart");
    auto *number = child<QLineEdit>(w, "txtNumber");

    bl64->click();
    QCOMPARE(start->text() + number->text(), QStringLiteral("19840064"));
    QVERIFY(!bl128->isChecked());
    bl128->click();
    QCOMPARE(start->text() + number->text(), QStringLiteral("19200128"));

    bl64->click();
    header->click();
    QVERIFY(!bl64->isEnabled() && !bl128->isEnabled());
    QVERIFY(bl64->isChecked());
    QCOMPARE(start->text() + number->text(), QStringLiteral("19840064"));
    header->click();
    QVERIFY(bl64->isEnabled() && bl128->isEnabled());
    QVERIFY(bl64->isChecked());
}

void TestForm1::directoryButtonUsesTheFolderDialog()
{
    Form1 w;
    w.show();
    QTemporaryDir chosen;
    auto *folder = child<QLineEdit>(w, "Text2");
    const QString programFolder = folder->text();
    QString title;

    const auto answerDialog = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
            if (accept) {
                dialog->setDirectory(chosen.path());
                dialog->selectFile(chosen.path());
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                dialog->reject();
            }
        });
    };

    answerDialog(true);
    child<QPushButton>(w, "cmdDir")->click();
    QCOMPARE(title, QStringLiteral("Select a directory for saving data."));
    QCOMPARE(folder->text(), QDir::toNativeSeparators(chosen.path()) + QDir::separator());

    // Cancelling goes back to the program's folder, whatever was there.
    folder->setText(QStringLiteral("typed by hand"));
    answerDialog(false);
    child<QPushButton>(w, "cmdDir")->click();
    QCOMPARE(folder->text(), programFolder);
}

void TestForm1::linkOpensTheWebPage()
{
    Form1 w;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QTest::mouseClick(child<QLabel>(w, "Label6"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl(Form1::kWebPage)});
    QCOMPARE(child<QLabel>(w, "Label6")->cursor().shape(), Qt::PointingHandCursor);
}

void TestForm1::portListAndCommandLine()
{
    Form1 w;
    w.show();
    auto *box = qobject_cast<PortBox *>(child<QComboBox>(w, "cmbCom"));
    QVERIFY(box);
    // An adapter plugged in after start shows up when the list drops down.
    QList<PortRecord> system;
    box->setPortSource([&] { return system; });
    system << PortRecord{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART with a rather long description", "FTDI", "0403:6001"};
    box->showPopup();
    QCOMPARE(box->count(), 5);
    QCOMPARE(box->itemText(4), QStringLiteral("ttyUSB0 \u2013 FT232R USB UART with a rather long description"));
    QVERIFY(box->view()->width() >= box->view()->fontMetrics().horizontalAdvance(box->itemText(4)));
    QCOMPARE(box->currentText(), QStringLiteral("COM 1"));  // refreshing keeps the choice
    box->hidePopup();
    box->setCurrentIndex(4);
    QCOMPARE(box->currentText(), QStringLiteral("ttyUSB0"));
    QCOMPARE(box->selectedPort().device, QStringLiteral("/dev/ttyUSB0"));

    // tamrix --port DEVICE --output DIR fills in the window; nothing starts by itself.
    const WindowCommandLine line = parseWindowCommandLine({"tamrix", "--port", "/dev/pts/7", "--output", "/tmp/dumps"});
    QCOMPARE(int(line.action), int(WindowCommandLine::Action::Show));
    w.prefill(line.options);
    QCOMPARE(box->currentText(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QStringLiteral("/tmp/dumps"));
    QVERIFY(!w.isPortOpen());
    for (const QStringList &bad : {QStringList{"tamrix", "--bogus"}, {"tamrix", "extra"}, {"tamrix", "--port"}}) {
        const WindowCommandLine wrong = parseWindowCommandLine(bad);
        QCOMPARE(int(wrong.action), int(WindowCommandLine::Action::UsageError));
        QVERIFY(wrong.text.contains("--output <DIR>"));
    }
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
