#include "ui/portbox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleOptionFrame>

namespace {

constexpr int kShortNameRole = Qt::UserRole + 1;

// The box's text field. A device too long for the narrow box shows, while the user is not
// editing it, its last part ("ttyUSB0" of "/dev/ttyUSB0"), as a port chosen from the list does,
// instead of a cut-off start. The text itself stays whole.
class PortEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
        // Where QLineEdit puts its text: two pixels in, centred, past a negative left bearing.
        constexpr int kMargin = 2;
        const QFontMetrics metrics = fontMetrics();
        const int leftBearing = qMax(0, -metrics.minLeftBearing());
        const int room = contents.width() - 2 * kMargin - leftBearing - 1 - qMax(0, -metrics.minRightBearing());
        if (hasFocus() || metrics.horizontalAdvance(text()) <= room) {
            QLineEdit::paintEvent(event);
            return;
        }
        const QString lastPart = text().section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
        const QString shown = metrics.elidedText(lastPart.isEmpty() ? text() : lastPart, Qt::ElideLeft, room);
        QPainter painter(this);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
        painter.setClipRect(contents);
        painter.setPen(palette().text().color());
        const int height = qMax(metrics.boundingRect(shown).height(), metrics.height());
        const QRect line(contents.x() + kMargin + leftBearing, contents.y() + (contents.height() - height + 1) / 2, room, height);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

}  // namespace

PortBox::PortBox(QWidget *parent) : QComboBox(parent)
{
    setLineEdit(new PortEdit(this));
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
        addItem(entry.listText);
        setItemData(count() - 1, entry.shortName, kShortNameRole);
    }
    setCurrentIndex(-1);
    setEditText(text);
}

void PortBox::showPort(const QString &text)
{
    const int entry = findData(text.trimmed(), kShortNameRole);
    if (entry >= 0)
        setCurrentIndex(entry);
    // The short name also where the entry was current already, for which Qt shows the list's text.
    setEditText(entry >= 0 ? itemData(entry, kShortNameRole).toString() : text);
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
