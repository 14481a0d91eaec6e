#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class StringTable;

// The about box: program icon, title and version lines, and two lines that
// only a language fills.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // Caption from entry 1 followed by "...", Label1 to Label4 from entries 3
    // to 6, "OK" from entry 2.
    void applyLanguage(const StringTable &table);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The design size, taller where the wrapped lines need it.
    void fitHeight();

    QLabel *ProgramIcon;  // the program icon, 57 x 57
    QLabel *Label1;       // title line
    QLabel *Label2;       // version line
    QLabel *Label3;       // language line
    QLabel *Label4;       // language line
    QPushButton *Button1; // "OK", closes with Accepted
};
