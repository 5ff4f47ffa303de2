#include "readout/loaderbanner.h"

#include "readout/wiretext.h"

void BannerScanner::reset()
{
    m_banner.reset({wire::kBanner});
    m_mark.reset({wire::kVersionMark});
    m_markFound = false;
    m_head.clear();
    m_afterMark.clear();
    m_text.clear();
}

bool BannerScanner::feed(const QByteArray &chunk)
{
    const qsizetype headRoom = kNoMarkOffset + kVersionLength - m_head.size();
    if (headRoom > 0)
        m_head += chunk.left(headRoom);

    if (!m_markFound) {
        const qsizetype versionStart = m_mark.feed(chunk);
        if (versionStart >= 0) {
            m_markFound = true;
            m_afterMark = chunk.mid(versionStart, kVersionLength);
        }
    } else if (m_afterMark.size() < kVersionLength) {
        m_afterMark += chunk.left(kVersionLength - m_afterMark.size());
    }
    const qsizetype bannerEnd = m_banner.feed(chunk);
    m_text += bannerEnd >= 0 ? chunk.left(bannerEnd) : chunk;
    // Cut now and then rather than at every read: a megabyte of boot output costs no more.
    if (m_text.size() > 2 * kTextLimit)
        m_text = m_text.right(kTextLimit);
    return bannerEnd >= 0;
}

QByteArray BannerScanner::rawVersion() const
{
    return m_markFound ? m_afterMark : m_head.mid(kNoMarkOffset, kVersionLength);
}

QByteArray trimRecognisedVersion(const QByteArray &version)
{
    if (version.size() >= 8 && version.at(6) == '\r' && version.at(7) == '\n')
        return version.left(5);
    return version;
}
