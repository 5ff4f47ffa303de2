// The settings made before a read-out: loader size, header option, output folder; and the link.

#include "ui/form1.h"

#include "serial/portlist.h"
#include "session/outputfolder.h"
#include "ui/portbox.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QUrl>

namespace {

const QString kPortKey = QStringLiteral("port");
const QString kFolderKey = QStringLiteral("folder");
const QString kSizeKey = QStringLiteral("sizeKb");
const QString kHeaderKey = QStringLiteral("header");

QString realPath(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
}

// A folder the system empties, at a reboot or before.
bool isTemporary(const QString &folder)
{
    const QString temporary = realPath(QDir::tempPath());
    const QString path = realPath(folder);
    return path == temporary || path.startsWith(temporary + '/');
}

}  // namespace

void Form1::rememberIn(QSettings *store)
{
    m_store = store;
    const QString port = store->value(kPortKey).toString();
    if (!port.isEmpty())
        cmbCom->showPort(port);
    // A folder removed since then would refuse the next read-out: the default is better.
    const QString folder = store->value(kFolderKey).toString();
    if (QFileInfo(outputFolder(folder, {})).isDir())
        Text2->setText(folder);
    // Through the handlers a click runs: the block texts follow the size, the header locks it.
    selectSizeOption(store->value(kSizeKey, defaultLoaderSize()).toInt());
    chkBL->setChecked(store->value(kHeaderKey).toBool());
}

void Form1::saveSettings()
{
    if (!m_store)
        return;
    // A pseudo-terminal and a temporary folder do not outlive a reboot: what was remembered
    // before stays instead.
    const QString port = cmbCom->currentText().trimmed();
    if (!isPseudoTerminal(portForText(port, cmbCom->entries()).device))
        m_store->setValue(kPortKey, port);
    // Absolute, as the next start may be in another folder; the default as none, so that it
    // stays whatever this copy's default is then.
    const QString folder = outputFolder(Text2->text(), m_defaultFolder);
    if (realPath(folder) == realPath(m_defaultFolder))
        m_store->setValue(kFolderKey, QString());
    else if (!isTemporary(folder))
        m_store->setValue(kFolderKey, QDir::toNativeSeparators(QDir(folder).absolutePath()) + QDir::separator());
    m_store->setValue(kSizeKey, sizeOption());
    m_store->setValue(kHeaderKey, chkBL->isChecked());
}

QList<std::pair<QRadioButton *, int>> Form1::sizeOptions() const
{
    // The design's two options offer the family table's sizes, the smaller one first.
    const QList<int> sizes = loaderSizeOptions();
    return {{optBL64, sizes.at(0)}, {optBL128, sizes.at(1)}};
}

int Form1::sizeOption() const
{
    for (const auto &[option, sizeKb] : sizeOptions()) {
        if (option->isChecked())
            return sizeKb;
    }
    return defaultLoaderSize();
}

void Form1::selectSizeOption(int sizeKb)
{
    // A size no option offers, as a setting kept by another version may hold, gets the default.
    for (const int size : {sizeKb, defaultLoaderSize()}) {
        for (const auto &[option, optionSize] : sizeOptions()) {
            if (optionSize == size) {
                // Through the handler a click runs, so the block boxes follow.
                option->setChecked(true);
                return;
            }
        }
    }
}

void Form1::lockSizeOptions()
{
    // While the header option is ticked the banner decides the size, and no choice is made
    // during a read-out.
    const bool free = !chkBL->isChecked() && !m_session.isPortOpen();
    optBL64->setEnabled(free);
    optBL128->setEnabled(free);
}

void Form1::showBlockRange(int sizeKb)
{
    // What the session will ask for, unless the banner names the loader.
    const BlockRangeText range = blockRangeText(sizeKb);
    txtStart->setText(range.start);
    txtNumber->setText(range.count);
}

void Form1::onChkBLClick()
{
    lockSizeOptions();
}

void Form1::onCmdDirClick()
{
    Text2->setText(BrowseForFolder(QStringLiteral("Select a directory for saving data.")) + QDir::separator());
    if (Text2->text() == QString(QDir::separator()) || Text2->text().isEmpty())
        Text2->setText(m_defaultFolder);
}

QString Form1::BrowseForFolder(const QString &sTitle)
{
    QFileDialog dialog(this, sTitle);
    // It opens at the folder in "Save to", where the next folder is most likely near, or the
    // nearest one above it that is there: the default folder is made only by a read-out.
    QString current = QDir::cleanPath(outputFolder(Text2->text(), m_defaultFolder));
    while (!QFileInfo(current).isDir() && QFileInfo(current).path() != current)
        current = QFileInfo(current).path();
    if (QFileInfo(current).isDir())
        dialog.setDirectory(current);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

void Form1::onLabel6Click()
{
    QDesktopServices::openUrl(QUrl(kWebPage));
}
