#pragma once
// A window, a virtual receiver and an output folder for a whole read-out.

#include "enginetranscript.h"
#include "formprobe.h"
#include "support/virtualreceiver.h"

#include "readout/wiretext.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

inline constexpr int kReadoutLimitMs = 60000;

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything before "KDATA" is keying, and there is no keying after it.
inline QByteArray afterKeying(const QByteArray &received)
{
    const qsizetype kdata = received.indexOf("KDATA");
    if (kdata < 1 || received.left(kdata).count('\x1F') != kdata)
        return "BAD KEYING: " + received.left(64).toHex();
    return received.mid(kdata);
}

// CPU time this process has used, user and system.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Readout
{
    Readout()
    {
        form.setMessageBoxHandler([](const QString &prompt, const QString &) { QFAIL(qPrintable(prompt)); });
        setFolder(folder.path() + '/');
    }
    void setFolder(const QString &text) { child<QLineEdit>(form, "Text2")->setText(text); }
    bool start(const QStringList &receiverArgs, bool header = false)
    {
        if (!receiver.start(receiverArgs + QStringList{"--write-image", folder.filePath("image.bin")}))
            return false;
        if (header)
            child<QCheckBox>(form, "chkBL")->click();
        choosePort(form, receiver.devicePath());
        return open();
    }
    bool open()
    {
        clickOpen(form);
        return form.isPortOpen();
    }
    QByteArray image() const { return readFile(folder.filePath("image.bin")); }
    QByteArray dump(const QString &name = QStringLiteral("BLdump.bin")) const { return readFile(folder.filePath(name)); }
    int progress() { return child<QProgressBar>(form, "ProgressBar1")->value(); }
    QString log() { return logText(form); }

    QTemporaryDir folder;
    VirtualReceiver receiver;
    Form1 form;
};
