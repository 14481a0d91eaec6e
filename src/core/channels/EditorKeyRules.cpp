#include "core/channels/EditorKeyRules.h"

namespace EditorKeyRules
{

FrequencyKey frequencyKey(const QString &text, QChar key, QChar decimalSeparator)
{
    if (key == Enter)
        return FrequencyKey::Commit;
    if ((key >= u'0' && key <= u'9') || key == Backspace)
        return FrequencyKey::Accept;
    const bool separator = key == u'.' || key == u',';
    if (separator && key == decimalSeparator && text.size() >= 3 &&
        !text.contains(decimalSeparator))
        return FrequencyKey::Accept;
    return FrequencyKey::Discard;
}

QChar toneKey(QChar key)
{
    if (key == u'd' || key == u'n' || key == u'i')
        return key.toUpper();
    if ((key >= u'0' && key <= u'9') || key == u'.' || key == u'D' || key == u'I' || key == u'N' ||
        key == Backspace || key == Enter)
        return key;
    return {};
}

int toneCompletion(const QStringList &entries, const QString &typed)
{
    if (typed.isEmpty())
        return -1;
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).startsWith(typed, Qt::CaseInsensitive))
            return i;
    return -1;
}

} // namespace EditorKeyRules
