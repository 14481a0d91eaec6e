#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioInfo;
class StringTable;

// The radio information window: model, band, administrator and time of the
// last write that the last read found in the radio, and a status line naming
// this program's administrator.
class Taddmessage : public QWidget
{
    Q_OBJECT
public:
    explicit Taddmessage(RadioInfo &info, QWidget *parent = nullptr);

    // Captions of the window, its group, labels and button.
    void applyLanguage(const StringTable &table);

    // Caption of the administrator label, as the status line repeats it.
    QString administratorCaption() const;

Q_SIGNALS:
    // "确定" pressed: the main window hides the window.
    void closeRequested();

private:
    void refresh();

    RadioInfo &m_info;
    QGroupBox *GroupBox1; // "本机信息"
    QLabel *Label1;       // "机型" (model)
    QLabel *Label2;       // "频段" (band)
    QLabel *Label3;       // "管理员" (administrator)
    QLabel *Label4;       // "最后写频时间" (time of the last write)
    QLineEdit *Edit1;     // model
    QLineEdit *Edit2;     // band
    QLineEdit *Edit3;     // administrator stored in the radio
    QLineEdit *Edit4;     // time of the last write
    QPushButton *Button1; // "确定"
    QLabel *StatusBar1;   // status line: administrator of this program
};
