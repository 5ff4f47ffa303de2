#include "ui/refreshlimit.h"

RefreshLimit::RefreshLimit(QList<QWidget *> widgets, std::chrono::milliseconds interval, QObject *parent)
    : QObject(parent), m_interval(interval)
{
    for (QWidget *widget : widgets)
        m_widgets.append(widget);
    m_resume.setSingleShot(true);
    connect(&m_resume, &QTimer::timeout, this, &RefreshLimit::resume);
}

void RefreshLimit::aboutToChange()
{
    if (m_holding)
        return;
    const std::chrono::milliseconds since(m_sinceShown.isValid() ? m_sinceShown.elapsed() : m_interval.count());
    if (since >= m_interval) {
        m_sinceShown.start();
        return;
    }
    m_holding = true;
    for (QWidget *widget : m_widgets)
        if (widget)
            widget->setUpdatesEnabled(false);
    m_resume.start(m_interval - since);
}

void RefreshLimit::resume()
{
    // Enabling updates again repaints each widget whole, once.
    m_holding = false;
    for (QWidget *widget : m_widgets)
        if (widget)
            widget->setUpdatesEnabled(true);
    m_sinceShown.start();
}
