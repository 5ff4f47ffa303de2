#pragma once
// Looking into a Tamrix window from a test, the way a user sees it.

#include "ui/form1.h"
#include "ui/logview.h"
#include "ui/statuslamp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

template <typename T>
T *child(QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The log as shown: line breaks as "\n".
inline QString logText(Form1 &window)
{
    return child<LogView>(window, "Text1")->toPlainText();
}

inline int lampColor(Form1 &window)
{
    return child<StatusLamp>(window, "Shape1")->fillColor();
}

inline void choosePort(Form1 &window, const QString &text)
{
    child<QComboBox>(window, "cmbCom")->setEditText(text);
}

inline void clickOpen(Form1 &window)
{
    child<QPushButton>(window, "Command1")->click();
}
inline void clickClose(Form1 &window)
{
    child<QPushButton>(window, "Command2")->click();
}

// The enabled state of the controls that switch between busy and idle.
inline QString controlStates(Form1 &window)
{
    QString states;
    for (const char *name : {"cmbCom", "Command1", "optBL64", "optBL128", "Command2", "cmdDir", "Text2", "chkBL"})
        states += QString::fromLatin1(name) + (window.findChild<QWidget *>(name)->isEnabled() ? "+ " : "- ");
    return states.trimmed();
}

inline const QString kIdle = QStringLiteral("cmbCom+ Command1+ optBL64+ optBL128+ Command2- cmdDir+ Text2+ chkBL+");
inline const QString kBusy = QStringLiteral("cmbCom- Command1- optBL64- optBL128- Command2+ cmdDir- Text2- chkBL-");
