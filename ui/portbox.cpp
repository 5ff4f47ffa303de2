#include "ui/portbox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleOptionFrame>

namespace {

constexpr int kShortNameRole = Qt::UserRole + 1;

// The box's text field. While the user is not editing it, it shows the whole text where it
// fits; a longer device shows without the folder the serial layer assumes ("ttyUSB0" of
// "/dev/ttyUSB0", "pts/3"), or else its last part, as a port chosen from the list does, instead
// of a cut-off start. The text itself stays whole.
class PortEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

    QString shownText() const
    {
        QString shown = text();
        if (!fits(shown) && shown.startsWith(QStringLiteral("/dev/")))
            shown.remove(0, 5);
        if (fits(shown))
            return shown;
        const QString lastPart = shown.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
        return fontMetrics().elidedText(lastPart.isEmpty() ? shown : lastPart, Qt::ElideLeft, textRoom().width());
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (hasFocus()) {
            QLineEdit::paintEvent(event);
            return;
        }
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        QPainter painter(this);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
        // Centred as QLineEdit centres its line.
        const QString shown = shownText();
        const QRect room = textRoom();
        const int height = qMax(fontMetrics().boundingRect(shown).height(), fontMetrics().height());
        painter.setClipRect(room.adjusted(-kMargin, 0, kMargin + 1, 0));
        painter.setPen(palette().text().color());
        painter.drawText(QRect(room.x(), room.y() + (room.height() - height + 1) / 2, room.width(), height),
                         Qt::AlignLeft | Qt::AlignVCenter, shown);
    }

private:
    // Where QLineEdit puts its text: two pixels in, with a pixel for the cursor.
    static constexpr int kMargin = 2;

    QRect textRoom() const
    {
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
        return contents.adjusted(kMargin, 0, -kMargin - 1, 0);
    }
    // Only the text's own width counts: the font's extreme bearings belong to glyphs a port name
    // never has (DejaVu's reach 10 pixels), and allowing for them cut "COM 1" to "...M 1".
    bool fits(const QString &text) const { return fontMetrics().horizontalAdvance(text) <= textRoom().width(); }
};

}  // namespace

PortBox::PortBox(QWidget *parent) : QComboBox(parent)
{
    setLineEdit(new PortEdit(this));
    // Return keeps the text in the box. Qt's inline completion would put the first entry in its
    // place ("COM 1" over a device given on the command line), and a port is never guessed.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, qOverload<int>(&QComboBox::currentIndexChanged), this, &PortBox::showShortName);
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

QString PortBox::shownText() const
{
    return static_cast<const PortEdit *>(lineEdit())->shownText();
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
