#include "core/base/RadioInfo.h"

namespace
{

void assign(QString &field, const QString &text, RadioInfo *info)
{
    if (field == text)
        return;
    field = text;
    Q_EMIT info->changed();
}

} // namespace

void RadioInfo::setModel(const QString &text)
{
    assign(m_model, text, this);
}
void RadioInfo::setBand(const QString &text)
{
    assign(m_band, text, this);
}
void RadioInfo::setAdministrator(const QString &text)
{
    assign(m_administrator, text, this);
}
void RadioInfo::setLastWriteTime(const QString &text)
{
    assign(m_lastWriteTime, text, this);
}
void RadioInfo::setStatusText(const QString &text)
{
    assign(m_statusText, text, this);
}
