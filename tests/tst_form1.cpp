// The window as it starts, its log and its settings.

#include "formprobe.h"

#include "ui/captionfit.h"
#include "ui/portbox.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
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
    // The folder dialog keeps its history in the settings: the test's own, not the user's.
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
#ifndef Q_OS_WIN
        // A home of the test's own: the window's default folder is in it.
        qputenv("HOME", m_home.path().toLocal8Bit());
#endif
        // And a temporary folder of its own, which the settings do not remember.
        QVERIFY(QDir(m_home.path()).mkdir("tmp"));
        for (const char *name : {"TMPDIR", "TMP", "TEMP"})
            qputenv(name, m_home.filePath("tmp").toLocal8Bit());
        // Windows' own folder dialog runs a loop of its own that a test cannot answer.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void startsAsDesigned();
    void aWiderFontIsCondensedToFit();
    void tabWalksTheDesignedOrder();
    void logKeepsTheCaretAtTheEnd();
    void sizeOptionsAndHeaderLock();
    void directoryButtonUsesTheFolderDialog();
    void linkOpensTheWebPage();
    void anAdapterPluggedInShowsWhenTheListDropsDown();
    void aDeviceTypedWholeLooksAsItsName();
    void theCommandLineFillsInTheWindow();
    void returnKeepsWhatTheBoxWasGivenOrTyped();
    void theLastSettingsComeBackAtTheNextStart();
    void aTemporaryFolderAndAPtyAreNotRemembered();
    void portNamesShowWhole();

private:
    QTemporaryDir m_home;
};

namespace {

// The controls of the window, without the frames that group them and Qt's own parts.
QList<QWidget *> controls(Form1 &w)
{
    QList<QWidget *> found;
    for (QWidget *c : w.findChildren<QWidget *>()) {
        const QString name = c->objectName();
        if (!name.isEmpty() && !name.startsWith("qt_") && !qobject_cast<QGroupBox *>(c))
            found << c;
    }
    return found;
}

QRect onWindow(Form1 &w, const QWidget *c)
{
    return {c->mapTo(&w, QPoint()), c->size()};
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Whether a control's caption fits the room its style leaves for it, measured by the style and the
// font, not by the window's own measure.
bool captionFits(QWidget *c)
{
    QString text;
    QRect room = c->contentsRect();
    if (auto *button = qobject_cast<QAbstractButton *>(c)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const auto element = qobject_cast<QPushButton *>(c) ? QStyle::SE_PushButtonContents
            : qobject_cast<QRadioButton *>(c)               ? QStyle::SE_RadioButtonContents
                                                            : QStyle::SE_CheckBoxContents;
        room = c->style()->subElementRect(element, &option, c);
        // A button's caption needs some of its face on either side, or it touches the frame.
        if (element == QStyle::SE_PushButtonContents)
            room.adjust(2, 0, -2, 0);
        text = button->text();
    } else if (auto *label = qobject_cast<QLabel *>(c)) {
        text = label->text();
    }
    return text.isEmpty() || QFontMetrics(c->font()).horizontalAdvance(text) <= room.width();
}

const PortRecord kAdapter{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART with a rather long description", "FTDI", "0403:6001"};

// A settings store of the test's own, run from a folder that holds "dumps", beside the temporary
// folder, which the settings do not remember.
struct Remembered
{
    Remembered()
    {
        QDir(dir.path()).mkdir("dumps");
        QDir::setCurrent(dir.path());
    }
    ~Remembered() { QDir::setCurrent(startedIn); }
    QString startedIn = QDir::currentPath();
    QTemporaryDir dir{QDir::temp().filePath("../remembered-XXXXXX")};
    QString dumps = QDir::toNativeSeparators(dir.filePath("dumps")) + QDir::separator();
    QSettings store{dir.filePath("Tamrix.conf"), QSettings::IniFormat};
};

// The window's default folder: the portable copy's own on Windows, one in the home on Linux.
QString defaultFolderShown()
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
#else
    return QDir::home().filePath("Tamrix") + '/';
#endif
}

}  // namespace

void TestForm1::startsAsDesigned()
{
    Form1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.minimumSize(), w.maximumSize());

    // Every control is seen whole: inside its frame, in front of the frames, not covering
    // another (edges of a pixel or two aside), its caption uncut.
    const QList<QWidget *> all = controls(w);
    QVERIFY(all.size() >= 20);
    for (QWidget *c : all) {
        const QString name = c->objectName();
        QVERIFY2(c->parentWidget()->rect().contains(c->geometry()), qPrintable(name + " sticks out of its frame"));
        // A click at its centre reaches it: it is in front of the frames. The lines between the
        // About frame's labels take no clicks, and Qt 6.8 finds a 1-pixel line under a neighbour.
        QWidget *seen = c->width() > 1 ? w.childAt(onWindow(w, c).center()) : c;
        QVERIFY2(seen == c || c->isAncestorOf(seen),
                 qPrintable(name + " is behind " + (seen ? seen->objectName() + " at " + describe(onWindow(w, seen)) : "nothing")
                            + ", at " + describe(onWindow(w, c))));
        QVERIFY2(captionFits(c), qPrintable(name + "'s caption is cut off"));
        for (QWidget *other : all) {
            const QRect shared = onWindow(w, c).intersected(onWindow(w, other));
            QVERIFY2(other == c || shared.width() <= 2 || shared.height() <= 2,
                     qPrintable(name + " covers " + other->objectName()));
        }
    }
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), defaultFolderShown());
#ifndef Q_OS_WIN
    QVERIFY(!QFileInfo::exists(QDir::home().filePath("Tamrix")));  // made by the first read-out, not at start
#endif

    auto *ports = child<QComboBox>(w, "cmbCom");
    QVERIFY(ports->count() >= 4);  // then the system's own ports
    for (int i = 0; i < 4; ++i)
        QCOMPARE(ports->itemText(i), QStringLiteral("COM %1").arg(i + 1));
    QVERIFY(ports->isEditable());

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
}

void TestForm1::aWiderFontIsCondensedToFit()
{
    // Captions sized for a narrower font than the platform's.
    QWidget window;
    const QList<QWidget *> captions{new QLabel(QStringLiteral("Number of Blocks"), &window),
                                    new QPushButton(QStringLiteral("Directory"), &window),
                                    new QCheckBox(QStringLiteral("BL 128 kB"), &window)};
    for (QWidget *c : captions)
        c->resize(captionWidth(c) * 4 / 5, 20);
    condenseToFit(&window);
    for (QWidget *c : captions)
        QVERIFY2(captionFits(c), qPrintable(c->metaObject()->className()));
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

    // Return presses a focused button, as Space does (Enter on the folder dialog's button below).
    QStringList boxes;
    w.setMessageBoxHandler([&](const QString &prompt, const QString &) {
        boxes << prompt;
        return true;
    });
    choosePort(w, QStringLiteral("/dev/tamrix-no-such-port"));
    child<QPushButton>(w, "Command1")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(boxes.size(), 1);
}

void TestForm1::logKeepsTheCaretAtTheEnd()
{
    Form1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *log = child<LogView>(w, "Text1");
    const auto caretAtEnd = [log] {
        return log->textCursor().position() == log->document()->characterCount() - 1 && !log->textCursor().hasSelection();
    };

    // The instruction has no line end: the next message continues its line, unless it asks for
    // a line of its own, as an open error does.
    log->add(LogEntry::closing(QStringLiteral("x")));
    log->add(LogEntry::line(QStringLiteral("error opening COM 3")));
    QCOMPARE(log->toPlainText(),
             QStringLiteral(
                 "Select the COM-Port, the size of the BootLoader, click OPEN and turn the STB on.x\nerror opening COM 3\n"));
    QVERIFY(caretAtEnd());

    for (int i = 0; i < 300; ++i)
        log->add(LogEntry::line(QStringLiteral("REQUEST Block: %1      Transfered successfully Block: %1").arg(i)));
    QVERIFY(caretAtEnd());
    QCOMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());

    log->clear();
    log->add(LogEntry::line(QStringLiteral("sending request... Turn now your receiver on.")));
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
    const QString defaultText = folder->text();
    QString title, openedAt;

    const auto answerDialog = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            openedAt = dialog->directory().absolutePath();
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
#ifdef Q_OS_WIN
    QCOMPARE(openedAt, QDir(defaultText).absolutePath());
#else
    // At the default folder, or, while it is not made yet, where it is to be made.
    const QString defaultPath = QDir(QDir::fromNativeSeparators(defaultText)).absolutePath();
    QCOMPARE(openedAt, QFileInfo(defaultPath).isDir() ? defaultPath : QDir::homePath());
#endif
    QCOMPARE(folder->text(), QDir::toNativeSeparators(chosen.path()) + QDir::separator());

    // It opens at the folder in the box; cancelling goes back to the default folder.
    QVERIFY(QDir(chosen.path()).mkdir("sub"));
    folder->setText(chosen.filePath("sub"));
    answerDialog(false);
    QTest::keyClick(child<QPushButton>(w, "cmdDir"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(openedAt, chosen.filePath("sub"));
    QCOMPARE(folder->text(), defaultText);
}

void TestForm1::linkOpensTheWebPage()
{
    Form1 w;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    auto *link = child<QLabel>(w, "Label6");
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    // The page opened is the one the label names.
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls[0].host(), link->text());
}

void TestForm1::anAdapterPluggedInShowsWhenTheListDropsDown()
{
    Form1 w;
    w.show();
    auto *box = qobject_cast<PortBox *>(child<QComboBox>(w, "cmbCom"));
    QList<PortRecord> system;
    box->setPortSource([&] { return system; });
    system << kAdapter;
    box->showPopup();
    QCOMPARE(box->count(), 5);
    QCOMPARE(box->itemText(4), QStringLiteral("ttyUSB0 \u2013 FT232R USB UART with a rather long description"));
    QVERIFY(box->view()->width() >= box->view()->fontMetrics().horizontalAdvance(box->itemText(4)));
    QCOMPARE(box->currentText(), QStringLiteral("COM 1"));  // refreshing keeps the choice
    box->hidePopup();
    box->setCurrentIndex(4);
    QCOMPARE(box->currentText(), QStringLiteral("ttyUSB0"));
    QCOMPARE(portForText(box->currentText(), box->entries()).device, QStringLiteral("/dev/ttyUSB0"));
}

void TestForm1::aDeviceTypedWholeLooksAsItsName()
{
    // Not cut off at its start, and it keeps its text.
    Form1 w;
    w.show();
    auto *box = qobject_cast<PortBox *>(child<QComboBox>(w, "cmbCom"));
    box->setPortSource([] { return QList<PortRecord>{kAdapter}; });
    box->refresh();
    box->setCurrentIndex(4);
    const QImage shortName = box->lineEdit()->grab().toImage();
    box->setEditText(QStringLiteral("/dev/ttyUSB0"));
    QVERIFY(box->fontMetrics().horizontalAdvance(box->currentText()) > box->lineEdit()->width());
    QCOMPARE(box->lineEdit()->grab().toImage(), shortName);
    QCOMPARE(box->currentText(), QStringLiteral("/dev/ttyUSB0"));
}

void TestForm1::theCommandLineFillsInTheWindow()
{
    // tamrix --port DEVICE --output DIR fills in the window; nothing starts by itself.
    Form1 w;
    const WindowCommandLine line = parseWindowCommandLine({"tamrix", "--port", "/dev/pts/7", "--output", "/tmp/dumps"});
    QCOMPARE(int(line.action), int(WindowCommandLine::Action::Show));
    w.prefill(line.options);
    QCOMPARE(child<QComboBox>(w, "cmbCom")->currentText(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QStringLiteral("/tmp/dumps"));
    QVERIFY(!w.isPortOpen());
    for (const QStringList &bad : {QStringList{"tamrix", "--bogus"}, {"tamrix", "extra"}, {"tamrix", "--port"}}) {
        const WindowCommandLine wrong = parseWindowCommandLine(bad);
        QCOMPARE(int(wrong.action), int(WindowCommandLine::Action::UsageError));
        QVERIFY(wrong.text.contains("--output <DIR>"));
    }
}

void TestForm1::returnKeepsWhatTheBoxWasGivenOrTyped()
{
    // Return completes nothing.
    Form1 w;
    w.prefill({QStringLiteral("/dev/pts/7"), {}});
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *box = child<QComboBox>(w, "cmbCom");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->currentText(), QStringLiteral("/dev/pts/7"));
    box->clearEditText();
    QTest::keyClicks(box, QStringLiteral("COM"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->currentText(), QStringLiteral("COM"));
}

void TestForm1::theLastSettingsComeBackAtTheNextStart()
{
    // Saved when a read-out starts and when the window closes; a folder typed relative comes back
    // absolute.
    Remembered r;
    Form1 last;
    last.rememberIn(&r.store);
    last.setMessageBoxHandler([](const QString &, const QString &) { return true; });
    child<QRadioButton>(last, "optBL64")->click();
    child<QCheckBox>(last, "chkBL")->click();
    last.prefill({{}, QStringLiteral("dumps")});
    choosePort(last, QStringLiteral("/dev/tamrix-no-such-port"));
    clickOpen(last);
    {
        Form1 early;
        early.rememberIn(&r.store);
        QCOMPARE(child<QComboBox>(early, "cmbCom")->currentText(), QStringLiteral("/dev/tamrix-no-such-port"));
        early.prefill({QStringLiteral("COM 1"), {}});  // the command line wins
        QCOMPARE(child<QComboBox>(early, "cmbCom")->currentText(), QStringLiteral("COM 1"));
    }
    choosePort(last, QStringLiteral("COM 3"));
    last.close();
    Form1 next;
    next.rememberIn(&r.store);
    QCOMPARE(child<QComboBox>(next, "cmbCom")->currentIndex(), 2);
    QCOMPARE(child<QLineEdit>(next, "Text2")->text(), r.dumps);
    QCOMPARE(child<QLineEdit>(next, "txtStart")->text() + child<QLineEdit>(next, "txtNumber")->text(),
             QStringLiteral("19840064"));
    QVERIFY(child<QRadioButton>(next, "optBL64")->isChecked() && child<QCheckBox>(next, "chkBL")->isChecked());
    QCOMPARE(controlStates(next), QString(kIdle).replace("optBL64+ optBL128+", "optBL64- optBL128-"));
}

void TestForm1::aTemporaryFolderAndAPtyAreNotRemembered()
{
    // They are gone after a reboot, as the demo's are: what was remembered before stays. A
    // folder removed since gives the default.
    Remembered r;
    {
        Form1 before;
        before.rememberIn(&r.store);
        before.prefill({QStringLiteral("COM 3"), r.dumps});
        before.close();
    }
    Form1 w;
    w.rememberIn(&r.store);
    child<QLineEdit>(w, "Text2")->setText(QDir::temp().filePath("demo"));
#ifndef Q_OS_WIN
    choosePort(w, QStringLiteral("/dev/pts/7"));
#endif
    w.close();
    Form1 after;
    after.rememberIn(&r.store);
    QCOMPARE(child<QComboBox>(after, "cmbCom")->currentIndex(), 2);
    QCOMPARE(child<QLineEdit>(after, "Text2")->text(), r.dumps);
    QVERIFY(QDir(r.dir.filePath("dumps")).removeRecursively());
    Form1 gone;
    gone.rememberIn(&r.store);
    QCOMPARE(child<QLineEdit>(gone, "Text2")->text(), defaultFolderShown());
}

void TestForm1::portNamesShowWhole()
{
    // "COM 1" to "COM 4" and an adapter's name fit the room the style leaves the text beside the
    // drop-down arrow, and show whole; ctest runs this at the scales 1, 1.5 and 2.
    Form1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *box = qobject_cast<PortBox *>(child<QComboBox>(w, "cmbCom"));
    QLineEdit *edit = box->lineEdit();
    QStyleOptionComboBox combo;
    combo.initFrom(box);
    combo.editable = true;
    QVERIFY(
        !edit->geometry().intersects(box->style()->subControlRect(QStyle::CC_ComboBox, &combo, QStyle::SC_ComboBoxArrow, box)));
    QStyleOptionFrame field;
    field.initFrom(edit);
    // QLineEdit keeps two pixels on either side and one for the cursor.
    const int room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &field, edit).width() - 5;
    // A device shows without "/dev/".
    const QList<std::pair<QString, QString>> shown{{"COM 1", "COM 1"},     {"COM 2", "COM 2"},     {"COM 3", "COM 3"},
                                                   {"COM 4", "COM 4"},     {"ttyUSB0", "ttyUSB0"}, {"/dev/ttyUSB0", "ttyUSB0"},
                                                   {"/dev/pts/3", "pts/3"}};
    for (const auto &[given, name] : shown) {
        box->showPort(given);
        QVERIFY2(edit->fontMetrics().horizontalAdvance(name) <= room, qPrintable(name + " is cut off"));
        QCOMPARE(box->shownText(), name);
    }
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
