#include "readout/tokenwait.h"

void TokenWait::reset(QList<QByteArray> tokens)
{
    m_tokens = std::move(tokens);
    m_tail.clear();
    m_keep = 0;
    for (const QByteArray &token : std::as_const(m_tokens))
        m_keep = qMax<qsizetype>(m_keep, token.size() - 1);
}

qsizetype TokenWait::feed(const QByteArray &chunk)
{
    const QByteArray text = m_tail + chunk;
    qsizetype earliestEnd = -1;
    for (const QByteArray &token : std::as_const(m_tokens)) {
        const qsizetype at = text.indexOf(token);
        if (at >= 0 && (earliestEnd < 0 || at + token.size() < earliestEnd))
            earliestEnd = at + token.size();
    }
    if (earliestEnd >= 0)
        return earliestEnd - m_tail.size();
    m_tail = text.right(m_keep);
    return -1;
}
