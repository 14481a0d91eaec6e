#pragma once

#include "core/options/FunctionSettings.h"

#include <QWidget>
#include <array>
#include <functional>

class EditHistory;
class QCheckBox;
class StringTable;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class UpDownButtons;

// The function options window: shows the radio's global settings and hands
// every user action to the settings object, which holds the data and the
// rules. It redraws itself from that object whenever the object changes.
class Tfunc : public QWidget
{
    Q_OBJECT
public:
    explicit Tfunc(FunctionSettings &settings, QWidget *parent = nullptr);

    // Captions of the window, its labels, check boxes and side-key group.
    void applyLanguage(const StringTable &table);

    // Each choice becomes a step of the history, named by its caption.
    void setHistory(EditHistory *history) { m_history = history; }

public Q_SLOTS:
    // The window loses activation: the long-press time text is rewritten in
    // its shortest form and the position follows it.
    void FormDeactivate();

private:
    QWidget *buildPanel();
    QComboBox *makeList(FunctionSettings::List list, QWidget *parent, int x, int y, int width);
    QCheckBox *makeCheck(FunctionSettings::Check check, const QString &caption, QWidget *parent,
                         int x, int y, int width);
    void refresh();
    // Runs one user action; an error it raises is shown in the error box.
    void runCommand(const std::function<void()> &command);
    // The change just made as one step, named by the control's caption.
    void record(const QWidget *control);
    const QLabel *listCaption(FunctionSettings::List list) const;

    FunctionSettings &m_settings;
    EditHistory *m_history = nullptr;
    std::array<QComboBox *, FunctionSettings::ListCount> m_lists{};
    std::array<QCheckBox *, FunctionSettings::CheckCount> m_checks{};
    bool m_deactivating = false; // an error box of the deactivation is open

    QScrollArea *ScrollBox; // scrolls the panel when the window is smaller
    QFrame *Panel1;         // bevelled panel holding every control
    QGroupBox *GroupBox1;   // "VOX"
    QGroupBox *GroupBox2;   // "侧键设定" (side-key settings)
    QLabel *Label1;         // "APO" caption
    QLabel *Label2;         // "静噪等级" caption (squelch level)
    QLabel *Label3;         // "语音通知" caption (voice prompt)
    QLabel *Label4;         // "扫描恢复模式" caption (scan resume mode)
    QLabel *Label5;         // "超时禁止发射" caption (transmit time-out)
    QLabel *Label6;         // "VOX灵敏度" caption (VOX sensitivity)
    QLabel *Label7;         // "VOX迟时" caption (VOX delay)
    QLabel *Label8;         // "P1长键" caption (P1 long press)
    QLabel *Label9;         // "P1短键" caption (P1 short press, hidden)
    QLabel *Label10;        // "长键时间(秒)" caption (long-press time)
    QLabel *Label11;        // "频率步进" caption (frequency step, hidden)
    QLabel *Label12;        // "P2长键" caption (P2 long press)
    QLabel *Label13;        // "P2短键" caption (P2 short press, hidden)
    QLabel *Label14;        // "P3长键" caption (P3 long press, hidden)
    QLabel *Label15;        // "P3短键" caption (P3 short press, hidden)
    QLabel *Label16;        // "音量等级" caption (volume level)
    QComboBox *ComboBox1;   // automatic power-off
    QComboBox *ComboBox2;   // squelch level
    QComboBox *ComboBox3;   // voice prompt
    QComboBox *ComboBox4;   // scan resume mode
    QComboBox *ComboBox5;   // transmit time-out
    QComboBox *ComboBox6;   // VOX sensitivity
    QComboBox *ComboBox7;   // VOX delay
    QComboBox *ComboBox8;   // P1 long-press function
    QComboBox *ComboBox9;   // P1 short-press function (hidden, disabled)
    QComboBox *ComboBox10;  // frequency step of the automatic add (hidden)
    QComboBox *ComboBox11;  // P2 long-press function
    QComboBox *ComboBox12;  // P2 short-press function (hidden, disabled)
    QComboBox *ComboBox13;  // P3 long-press function (hidden)
    QComboBox *ComboBox14;  // P3 short-press function (hidden)
    QComboBox *ComboBox15;  // volume level
    QCheckBox *CheckBox1;   // "开机提示音" power-on tone
    QCheckBox *CheckBox2;   // "结束提示音" end-of-transmission tone
    QCheckBox *CheckBox3;   // "低电压提示音" low-battery tone
    QCheckBox *CheckBox4;   // "接收禁止VOX" no VOX while receiving
    QCheckBox *CheckBox5;   // "电池省电" battery save
    QLineEdit *Edit1;       // long-press time in seconds, read-only
    UpDownButtons *UpDown1; // arrows that move the long-press time by 0.1 s
};
