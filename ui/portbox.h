#pragma once
// The port list: a drop-down that can also be typed into. It reads the system's ports again each
// time it drops down, so an adapter plugged in after start shows up, and once a port is chosen
// the box shows its short name. A long device typed in shows its last part while the box is not
// being edited.

#include "serial/portlist.h"

#include <QComboBox>

#include <functional>

class PortBox : public QComboBox
{
    Q_OBJECT

public:
    using PortSource = std::function<QList<PortRecord>()>;

    explicit PortBox(QWidget *parent = nullptr);

    // Where the ports come from: the system, unless a test says otherwise.
    void setPortSource(PortSource source) { m_source = std::move(source); }
    // Reads the list again; the text in the box stays.
    void refresh();
    // The ports of the list as last read, which the text in the box may name.
    const QList<PortEntry> &entries() const { return m_entries; }
    // Shows `text` as if the user had chosen it: the entry of that name, or else typed in.
    void showPort(const QString &text);
    // What the box shows while it is not being edited.
    QString shownText() const;

    void showPopup() override;

private:
    void showShortName(int index);

    PortSource m_source = systemPorts;
    QList<PortEntry> m_entries;
};
