#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

// The radio's global settings as the function options window shows them: list
// settings as 0-based item indices into their lists (-1 = nothing selected),
// yes/no settings as check states, and the long-press time as a position 5 to
// 25 (tenths of a second) with its display text in seconds. The window, the
// channel file, the radio exchange and the language switch all read and set
// this one object.
class FunctionSettings : public QObject
{
    Q_OBJECT
public:
    enum List {
        APO,       // automatic power-off
        Squelch,   // squelch level
        Beep,      // voice prompt
        ScanKind,  // scan resume mode
        TOT,       // transmit time-out
        Step,      // frequency step of the automatic add (hidden)
        VoxSQL,    // VOX sensitivity
        VoxDelay,  // VOX delay
        LongKey0,  // P1 long press
        ShortKey0, // P1 short press (hidden, disabled)
        LongKey1,  // P2 long press
        ShortKey1, // P2 short press (hidden, disabled)
        LongKey2,  // P3 long press (out of sight)
        ShortKey2, // P3 short press (out of sight)
        Volume,    // volume level
        ListCount
    };
    enum Check {
        OpenBeep, // power-on tone
        TxOver,   // end-of-transmission tone
        BatBeep,  // low-battery tone
        Save,     // battery save
        VoxRX,    // no VOX while receiving
        CheckCount
    };

    static constexpr int KeyTimeMinimum = 5;
    static constexpr int KeyTimeMaximum = 25;
    static constexpr int KeyTimeDefault = 15;

    explicit FunctionSettings(QObject *parent = nullptr);

    // Names of the settings as the channel file spells them (without the
    // trailing blank the file puts after them): "APO", "Open Beep", ...
    static QString key(List list);
    static QString key(Check check);
    static QString keyTimeKey(); // "Key Time"
    // Object names of the window's controls: "ComboBox1", "CheckBox1", ...
    static QString controlName(List list);
    static QString controlName(Check check);
    // Whether the user can see the setting in the window at all.
    static bool isVisible(List list);

    // Lists -----------------------------------------------------------------
    const QStringList &items(List list) const;
    int index(List list) const;
    QString currentText(List list) const; // empty when nothing is selected
    // Sets the index as a channel file or the radio does: no side rules. An
    // index outside the list selects nothing (-1).
    void setIndex(List list, int index);
    // The user's choice through the list itself: also applies the short-press
    // rule (P1/P2 short press on item 1 disables the matching long-press list,
    // any other item enables it).
    void chooseIndex(List list, int index);
    // Replaces the items, keeping the selected index; an index beyond the
    // list's values selects nothing.
    void setItems(List list, const QStringList &items);
    // How many values the list's index may take: its items, except that the
    // P3 long-press list always takes the eight side-key functions, whatever
    // items a language gives it.
    int valueCount(List list) const;
    void setItemText(List list, int item, const QString &text);
    bool isEnabled(List list) const;
    void setEnabled(List list, bool enabled);

    // Yes/no settings --------------------------------------------------------
    bool isChecked(Check check) const;
    void setChecked(Check check, bool checked);

    // Long-press time --------------------------------------------------------
    int keyTimePosition() const { return m_keyTimePosition; }
    QString keyTimeText() const { return m_keyTimeText; }
    // The time the radio gets: the position as seconds in shortest form.
    QString keyTimeSeconds() const;
    // Moves the position, held to 5..25; the text is left alone.
    void setKeyTimePosition(int position);
    // Sets the text; the position becomes its value x 10, truncated and held
    // to 5..25. A text that is no number is kept but throws AppError and
    // leaves the position as it was.
    void setKeyTimeText(const QString &text);
    // Sets the position and writes it as seconds in shortest form (15 -> "1.5").
    void setKeyTime(int position);
    // The up-down arrows: move the position by delta within 5..25 and rewrite
    // the text from it, also when the position stays at its limit.
    void stepKeyTime(int delta);
    // Leaving the window: rewrite the text in shortest form, at least "0.5",
    // then move the position to match. Throws AppError for a text that is no
    // number.
    void normaliseKeyTimeText();

    // The defaults of a new configuration: every list and flag, enabled states,
    // and the long-press time at 15 ("1.5").
    void resetDefaults();

    // Everything the user sets, without the word lists (which follow the
    // interface language): for keeping a configuration and putting it back
    // exactly, with no side rules.
    struct State {
        std::array<int, ListCount> indices{};
        std::array<bool, ListCount> enabled{};
        std::array<bool, CheckCount> checks{};
        int keyTimePosition = KeyTimeDefault;
        QString keyTimeText;
        bool operator==(const State &other) const
        {
            return indices == other.indices && enabled == other.enabled && checks == other.checks &&
                   keyTimePosition == other.keyTimePosition && keyTimeText == other.keyTimeText;
        }
        bool operator!=(const State &other) const { return !(*this == other); }
    };
    State state() const;
    // Puts the state back as it was taken; one change signal when anything moved.
    void setState(const State &state);

Q_SIGNALS:
    void changed();

private:
    // Every list index, enabled state and flag to its default, the long-press
    // time to 15 with the text "1.5"; no signal.
    void applyDefaults();
    // Stores the long-press time and tells the window when anything moved.
    void assignKeyTime(int position, const QString &text, bool alreadyChanged);

    struct ListState {
        QStringList items;
        int index = -1;
        bool enabled = true;
    };
    std::array<ListState, ListCount> m_lists;
    std::array<bool, CheckCount> m_checks{};
    int m_keyTimePosition = KeyTimeDefault;
    QString m_keyTimeText;
};
