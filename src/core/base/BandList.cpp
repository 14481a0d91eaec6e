#include "core/base/BandList.h"

#include "core/base/LocaleNumber.h"

QString BandList::currentText() const
{
    return m_current >= 0 && m_current < count() ? m_items.at(m_current) : QString();
}

void BandList::clear()
{
    m_items.clear();
    m_current = -1;
    Q_EMIT changed();
}

void BandList::add(const QString &band)
{
    m_items.append(band);
    Q_EMIT changed();
}

void BandList::setCurrentIndex(int index)
{
    m_current = index >= 0 && index < count() ? index : -1;
    Q_EMIT changed();
}

int BandList::lowerEdge() const
{
    return LocaleNumber::parseInteger(lowerEdgeText());
}

int BandList::upperEdge() const
{
    return LocaleNumber::parseInteger(currentText().mid(4, 3));
}

QString BandList::lowerEdgeText() const
{
    return currentText().left(3);
}
