#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// What the channel editor's overlay editors do with a typed character: the
// frequency editor takes digits and one decimal separator after at least three
// characters; the tone editor takes the characters of tone texts and completes
// them from the tone list. Keys are given as characters, Backspace as '\b' and
// Enter as '\r'.
namespace EditorKeyRules
{

constexpr QChar Backspace = u'\b';
constexpr QChar Enter = u'\r';

enum class FrequencyKey {
    Accept,  // the editor takes the key
    Commit,  // Enter: the editor closes and the cell is committed
    Discard, // the key is dropped
};

// The frequency editor, holding the text, given a key. A comma or full stop
// is taken only when it is the system's decimal separator, the text has at
// least three characters and no separator yet.
FrequencyKey frequencyKey(const QString &text, QChar key, QChar decimalSeparator);

// The tone editor: d, n and i become D, N and I; digits, full stop, D, I, N,
// Backspace and Enter are taken as they are; anything else is dropped (a null
// character).
QChar toneKey(QChar key);

// The first entry that begins with the typed text, case ignored; -1 when none
// does or nothing is typed.
int toneCompletion(const QStringList &entries, const QString &typed);

} // namespace EditorKeyRules
