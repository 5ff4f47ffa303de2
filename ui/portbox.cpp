#include "ui/portbox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>

namespace {

constexpr int kShortNameRole = Qt::UserRole + 1;

} // namespace

PortBox::PortBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::currentIndexChanged, this, &PortBox::showShortName);
}

void PortBox::refresh()
{
    const QString text = currentText();
    const QSignalBlocker quiet(this);
    clear();
    m_entries = portList(m_source());
    for (const PortEntry &entry : m_entries) {
        // The list's own ports carry their number, the others their device.
        addItem(entry.listText, entry.number > 0 ? QVariant(entry.number) : QVariant(entry.port.device));
        setItemData(count() - 1, entry.shortName, kShortNameRole);
    }
    setCurrentIndex(-1);
    setEditText(text);
}

PortChoice PortBox::selectedPort() const
{
    return portForText(currentText(), m_entries);
}

void PortBox::showPopup()
{
    refresh();
    int widest = 0;
    for (const PortEntry &entry : std::as_const(m_entries))
        widest = qMax(widest, view()->fontMetrics().horizontalAdvance(entry.listText));
    view()->setMinimumWidth(widest + view()->verticalScrollBar()->sizeHint().width() + 4 * view()->frameWidth() + 8);
    QComboBox::showPopup();
}

void PortBox::showShortName(int index)
{
    if (index < 0)
        return;
    setEditText(itemData(index, kShortNameRole).toString());
    lineEdit()->end(false);  // a long name shows its end
}
