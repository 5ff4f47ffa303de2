#include "session/loglines.h"

#include <utility>

void LogLines::hold()
{
    m_holding = true;
}

void LogLines::release()
{
    m_holding = false;
    // One at a time: whatever one of them sets off may drop the rest.
    while (!m_held.empty()) {
        const std::variant<LogEntry, QString> next = std::move(m_held.front());
        m_held.pop_front();
        if (const auto *entry = std::get_if<LogEntry>(&next))
            showNow(*entry);
        else
            warn(std::get<QString>(next));
    }
}

void LogLines::drop()
{
    m_held.clear();
    m_holding = false;
}

void LogLines::show(const LogEntry &entry)
{
    if (m_holding)
        m_held.push_back(entry);
    else
        showNow(entry);
}

void LogLines::warn(const QString &text)
{
    if (m_holding) {
        m_held.push_back(text);
        return;
    }
    m_warningsWaiting << text;
    releaseWarnings();
}

void LogLines::endLine()
{
    if (m_lineOpen)
        showNow(LogEntry::closing({}));
}

void LogLines::showNow(const LogEntry &entry)
{
    // A line of its own ends the open one, and what waited for that comes before it.
    if (m_lineOpen && entry.place != LogEntry::Place::Closing)
        showNow(LogEntry::closing({}));
    emit logged(entry);
    m_lineOpen = !entry.endsLine();
    releaseWarnings();
}

void LogLines::releaseWarnings()
{
    if (m_lineOpen)
        return;
    for (const QString &text : std::exchange(m_warningsWaiting, {}))
        emit warning(text);
}
