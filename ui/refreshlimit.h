#pragma once
// Lets a few widgets repaint at most once per interval while their changes come faster than a
// screen needs them: a read-out from a fast line moves the log and the bar a thousand times a
// second. Changes that come slower are painted as they come; held ones are painted together
// when the interval is over.

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

class RefreshLimit : public QObject
{
public:
    RefreshLimit(QList<QWidget *> widgets, std::chrono::milliseconds interval, QObject *parent = nullptr);

    // Call before each change.
    void aboutToChange();
    bool holding() const { return m_holding; }

private:
    void resume();

    QList<QPointer<QWidget>> m_widgets;
    const std::chrono::milliseconds m_interval;
    QElapsedTimer m_sinceShown;
    QTimer m_resume;
    bool m_holding = false;
};
